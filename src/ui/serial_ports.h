#pragma once

#include <QString>
#include <QStringList>

namespace protmon {

// Serial devices that have a driver: every entry of `classRoot` (normally /sys/class/tty) with a
// "device" link, as the path under `devRoot`, sorted (ListSerialPorts).
QStringList SerialPortPaths(const QString& classRoot = QStringLiteral("/sys/class/tty"),
                            const QString& devRoot = QStringLiteral("/dev"));

} // namespace protmon
