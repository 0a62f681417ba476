#include "bench_hook.h"
#include "build_info.h"
#include "ui/application.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "Usage: protmon [HOST:PORT]\n"
    "Protocol Monitor: records the telegrams of drive controllers on a serial line without\n"
    "taking part (directly, through a fieldbus operator or a line monitor box) and decodes them\n"
    "down to service, parameter and value. Type the serial device (/dev/ttyUSB0) into the port\n"
    "box and press Start.\n"
    "  HOST:PORT   capture from a line monitor on UDP at this address instead\n"
    "  --help      show this text\n"
    "  --version   show the version\n"
    "protmon-cli is the same monitor on the command line.\n";

} // namespace

int main(int argc, char* argv[]) {
    // Answered before Qt starts, so they work without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("protmon " PROTMON_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    QApplication app(argc, argv);
    protmon::SetUpApplication();
    QApplication::setApplicationVersion(QStringLiteral(PROTMON_VERSION));
    // Lets the desktop match the window to its menu entry and icon once installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("protmon"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("protmon")));
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
    // Benchmark hook for bench/window_live.sh: Start at once, optionally with the analysis windows.
    const QString bench = qEnvironmentVariable("PROTMON_BENCH_LIVE");
    if (!bench.isEmpty())
        protmon::StartBenchHook(window, bench);
    return QApplication::exec();
}
