#include "ui/application.h"

#include <QApplication>

namespace protmon {

void SetUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Protocol Monitor"));
}

} // namespace protmon
