#include "ui/application.h"
#include "ui/copy_dialog.h"
#include "ui/filter_dialog.h"
#include "ui/l7_decoder.h"
#include "ui/language_dialog.h"
#include "ui/line_monitor_dialog.h"
#include "ui/main_window.h"
#include "ui/raw_format_dialog.h"
#include "ui/test_host.h"
#include "ui/trigger_dialog.h"

#include <QTest>
#include <QWindow>

using namespace protmon;

namespace {

// What Qt's X11 and Wayland windows put in the title bar: the window's title, followed by
// " — " and the application display name when one was set. A display name never set follows the
// application name, which is how an explicitly set one is told apart.
QString WindowSystemTitle(QWidget& widget) {
    widget.winId();
    const QString title = widget.windowHandle()->title();
    const QString name = QGuiApplication::applicationName();
    QGuiApplication::setApplicationName(QStringLiteral("probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationName(name);
    if (displayName == QStringLiteral("probe") || title.endsWith(displayName))
        return title;
    return title + QStringLiteral(" \u2014 ") + displayName;
}

} // namespace

class WindowFitTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TMyMonitor> w;
    TTestHost host;

private slots:
    void initTestCase() { SetUpApplication(); }
    void init() {
        host = TTestHost{};
        w = std::make_unique<TMyMonitor>();
        w->SetHost(&host);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); }

    void CaptionsReachTheWindowSystemUnchanged() {
        QCOMPARE(QGuiApplication::applicationName(), QStringLiteral("Protocol Monitor"));
        const std::pair<QWidget*, const char*> windows[] = {
            {w.get(), "ZIZ Protocol Monitor V4.1"},
            {w->IncludeFilterDialog(), "Filter settings"},
            {w->ExcludeFilterDialog(), "Display exclude filter settings"},
            {w->CopyDialog(), "Copy telegrams to clipboard"},
            {w->TriggerDialog(), "Trigger settings"},
            {w->L7Decoder().LanguageDialog(), "L7-Decoder language"},
            {w->LineMonitorDialog(), "Select settings for line monitor"},
            {w->RawFormatDialog(), "Select format for RAW data"},
        };
        for (const auto& [window, caption] : windows)
            QCOMPARE(WindowSystemTitle(*window), QString::fromUtf8(caption));
    }
};

QTEST_MAIN(WindowFitTest)
#include "window_fit_test.moc"
