#include "ui/serial_ports.h"

#include <QDir>
#include <QFileInfo>

namespace protmon {

QStringList SerialPortPaths(const QString& classRoot, const QString& devRoot) {
    QStringList paths;
    const QDir root(classRoot);
    const QStringList names = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& name : names) {
        // Virtual terminals and consoles have no device behind them.
        if (QFileInfo::exists(root.filePath(name + QStringLiteral("/device"))))
            paths << devRoot + QLatin1Char('/') + name;
    }
    paths.sort();
    return paths;
}

} // namespace protmon
