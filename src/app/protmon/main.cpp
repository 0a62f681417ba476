#include "ui/application.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    protmon::SetUpApplication();
    protmon::TMyMonitor window(QApplication::arguments().mid(1));
    window.show();
    // Documentation and review hook: save a picture of the window and quit.
    const QString shot = qEnvironmentVariable("PROTMON_SCREENSHOT");
    if (!shot.isEmpty()) {
        QTimer::singleShot(800, &window, [&window, shot] {
            window.grab().save(shot);
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
