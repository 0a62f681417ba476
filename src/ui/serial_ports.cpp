#include "ui/serial_ports.h"

#include "capture/com_ports.h"

namespace protmon {

QStringList SerialPortPaths(const QString& classRoot, const QString& devRoot) {
    QStringList paths;
    for (const std::string& p : ListSerialPorts(classRoot.toStdString(), devRoot.toStdString()))
        paths << QString::fromStdString(p);
    return paths;
}

} // namespace protmon
