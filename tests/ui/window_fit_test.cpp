#include "ui/analysis_menu.h"
#include "ui/application.h"
#include "ui/control_strip.h"
#include "ui/copy_dialog.h"
#include "ui/file_chooser.h"
#include "ui/filter_dialog.h"
#include "ui/l7_decoder.h"
#include "ui/language_dialog.h"
#include "ui/line_monitor_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"
#include "ui/raw_format_dialog.h"
#include "ui/response_times_window.h"
#include "ui/screen_fit.h"
#include "ui/statistics_window.h"
#include "ui/telegram_list_view.h"
#include "ui/test_host.h"
#include "ui/trends_window.h"
#include "ui/trigger_dialog.h"
#include "ui/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>
#include <QWheelEvent>
#include <QWindow>

using namespace protmon;
using namespace protmon::uitest;

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

// Sends one wheel turn; true when the target took it (an ignored one goes on to the parent).
bool Wheel(QWidget* target, int angleDelta) {
    QWheelEvent e(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(),
                  QPoint(0, angleDelta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &e);
    return e.isAccepted();
}

// Every listed control at least as large as its contents need: nothing is cut off. A push button
// needs its text and a margin (not the style's wider preferred size); other controls their minimum
// size hint, which holds their text, indicator and frame.
void ExpectUnclipped(const QList<QWidget*>& widgets) {
    for (QWidget* widget : widgets) {
        QSize need = widget->minimumSizeHint();
        if (auto* button = qobject_cast<QPushButton*>(widget))
            need = {button->fontMetrics().horizontalAdvance(button->text()) + 8,
                    button->fontMetrics().height()};
        QVERIFY2(widget->width() >= need.width() && widget->height() >= need.height(),
                 qPrintable(widget->objectName() + QStringLiteral(" %1x%2 < %3x%4")
                                                       .arg(widget->width())
                                                       .arg(widget->height())
                                                       .arg(need.width())
                                                       .arg(need.height())));
    }
}

QList<QWidget*> StripControls(TControlStrip& s) {
    return {s.BtnStart, s.ComBox,  s.BaudBox, s.BtnTrx5,   s.BtnDin,     s.BtnRaw,
            s.CBComm,   s.CBPdOut, s.CBPdIn,  s.CBMonitor, s.LabelErrors};
}

// Every control of the window lies inside it, unclipped.
void ExpectInsideAndUnclipped(QWidget& window, const QList<QWidget*>& controls) {
    ExpectUnclipped(controls);
    for (QWidget* c : controls) {
        const QRect at(c->mapTo(&window, QPoint(0, 0)), c->size());
        QVERIFY2(window.rect().contains(at),
                 qPrintable(c->objectName() + QStringLiteral(" %1,%2 %3x%4 outside %5x%6")
                                                  .arg(at.x())
                                                  .arg(at.y())
                                                  .arg(at.width())
                                                  .arg(at.height())
                                                  .arg(window.width())
                                                  .arg(window.height())));
    }
}

// The push buttons, labels and boxes of a window that show text.
QList<QWidget*> TextControls(QWidget& window) {
    QList<QWidget*> out;
    for (QWidget* c : window.findChildren<QWidget*>()) {
        if (!c->isVisibleTo(&window) || c->window() != &window)
            continue;
        const bool wraps =
            qobject_cast<QLabel*>(c) != nullptr &&
            (static_cast<QLabel*>(c)->wordWrap() || c->inherits("protmon::TElidedLabel"));
        if ((qobject_cast<QAbstractButton*>(c) != nullptr || qobject_cast<QLabel*>(c) != nullptr ||
             qobject_cast<QComboBox*>(c) != nullptr) &&
            !wraps)
            out.append(c);
    }
    return out;
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
            {w->FileChooser().LanguageDialog(), "L7-Decoder language"},
            {w->LineMonitorDialog(), "Select settings for line monitor"},
            {w->RawFormatDialog(), "Select format for RAW data"},
        };
        for (const auto& [window, caption] : windows)
            QCOMPARE(WindowSystemTitle(*window), QString::fromUtf8(caption));
    }

    void ColumnThreeTakesWhatTheOtherColumnsLeave() {
        AddTelegrams(*w, 50);
        TTelegramListView& view = *w->ListView();
        QHeaderView& header = *view.horizontalHeader();
        const int right = view.ScrollBar()->x() - view.viewport()->x();
        for (const int column2 : {172, 272, 100}) {
            header.resizeSection(2, column2);
            QCOMPARE(view.columnWidth(3), view.width() - 62 - 49 - column2 - 25);
            QVERIFY(header.sectionPosition(3) + view.columnWidth(3) <= right);
            QVERIFY(!view.horizontalScrollBar()->isVisible());
        }
        header.resizeSection(0, 120);
        QCOMPARE(view.columnWidth(3), view.width() - 120 - 49 - 100 - 25);

        // A cell too narrow for its text ends in an ellipsis and offers the text as a tooltip.
        header.resizeSection(2, 40);
        const QString service = view.RowModel()->CellText(0, 2);
        QVERIFY(service.size() > 6);
        const QPoint inCell(header.sectionPosition(2) + 5, view.rowViewportPosition(0) + 3);
        QCOMPARE(view.ToolTipAt(inCell), service);
        QVERIFY(view.ShownText(0, 2).endsWith(QChar(0x2026)));
        const QPoint inCaption(3, view.rowViewportPosition(0) + 3);
        QCOMPARE(view.ToolTipAt(inCaption), QString());
        QCOMPARE(view.ShownText(0, 0), view.RowModel()->CellText(0, 0));
    }

    void PartialWheelStepsAddUpAnywhere() {
        AddTelegrams(*w, 300);
        const int lines = QApplication::wheelScrollLines();
        TControlStrip& strip = *w->Strip();
        strip.BaudBox->setEnabled(true);
        const int baud = strip.BaudBox->currentIndex();
        QCOMPARE(strip.BaudBox->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(strip.ComBox->focusPolicy(), Qt::StrongFocus);
        // Touchpad steps of a third of a notch, over the list and over the rest of the window.
        for (QWidget* target :
             {static_cast<QWidget*>(w->ListView()->viewport()), static_cast<QWidget*>(w.get())}) {
            const int before = w->Session().RowWindow().ScrollPosition();
            QVERIFY(Wheel(target, -40));
            QVERIFY(Wheel(target, -40));
            QCOMPARE(w->Session().RowWindow().ScrollPosition(), before);
            QVERIFY(Wheel(target, -40));
            QCOMPARE(w->Session().RowWindow().ScrollPosition(), before + lines);
        }
        // An unfocused box lets the wheel pass to the window; a focused one takes it.
        QVERIFY(!Wheel(strip.BaudBox, -120));
        QCOMPARE(strip.BaudBox->currentIndex(), baud);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        strip.BaudBox->setFocus();
        QTRY_VERIFY(strip.BaudBox->hasFocus());
        QVERIFY(Wheel(strip.BaudBox, -120));
        QCOMPARE(strip.BaudBox->currentIndex(), baud + 1);
    }

    void ClearAsksWithOkAsTheDefault() {
        const auto box = MakeConfirmBox(w.get(), "Erase all recorded telegrams ?");
        QCOMPARE(box->text(), QStringLiteral("Erase all recorded telegrams ?"));
        QCOMPARE(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
        QCOMPARE(box->escapeButton(), box->button(QMessageBox::Cancel));
        QCOMPARE(box->windowTitle(), QStringLiteral("Protocol Monitor"));
    }

    // "Export..." on a filtered display: Yes, No and Cancel, Escape cancels; an error box keeps
    // its text and carries the reason as detail.
    void ExportQuestionAndErrorDetail() {
        const auto box =
            MakeYesNoCancelBox(w.get(), "Export only the telegrams of the filtered display ?");
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
        QCOMPARE(box->escapeButton(), box->button(QMessageBox::Cancel));
        const auto error = MakeErrorBox(w.get(), "Error writing to file",
                                        "/mnt/x/rec.bu5: No space left on device");
        QCOMPARE(error->text(), QStringLiteral("Error writing to file"));
        QCOMPARE(error->detailedText(), QStringLiteral("/mnt/x/rec.bu5: No space left on device"));
        QCOMPARE(error->icon(), QMessageBox::Critical);
    }

    void ControlBytesShowAsDistinctGlyphsOfTheListFont() {
        TTelegramListView& view = *w->ListView();
        for (const QFont& font : {view.font(), QFont(QStringLiteral("DejaVu Sans Mono"), 12)}) {
            view.setFont(font);
            const QFontMetrics metrics(view.font());
            const TCellGlyphs& glyphs = view.RowModel()->Glyphs();
            QSet<char32_t> seen;
            for (int b = 0; b < 256; ++b) {
                const auto byte = static_cast<unsigned char>(b);
                if (!TCellGlyphs::IsControl(byte, CodePage::Latin1))
                    continue;
                const char32_t c = glyphs.CodePoint(byte, CodePage::Latin1);
                QVERIFY2(metrics.inFontUcs4(c), qPrintable(QString::number(b, 16)));
                QVERIFY2(!seen.contains(c), qPrintable(QString::number(b, 16)));
                seen.insert(c);
            }
            QCOMPARE(seen.size(), 65);
        }
    }

    // The screens seen in use: 1600x1000 and 1024x700 at scale 1 and 1.5 (a scale of 1.5 leaves two
    // thirds of the pixels to the window's logical size). Each window opens at its own size where
    // that fits, else inside the area, frame and all, with every control whole.
    void WindowsOpenInsideEveryScreen_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<bool>("roomy");
        QTest::newRow("1600x1000 at 1") << QRect(0, 0, 1600, 1000) << true;
        QTest::newRow("1600x1000 at 1.5") << QRect(0, 0, 1067, 667) << true;
        QTest::newRow("1024x700 at 1") << QRect(0, 0, 1024, 700) << true;
        QTest::newRow("1024x700 at 1.5") << QRect(0, 0, 683, 467) << false;
        QTest::newRow("1024x700 at 1.5, panel at the top") << QRect(0, 30, 683, 437) << false;
    }
    void WindowsOpenInsideEveryScreen() {
        QFETCH(QRect, area);
        QFETCH(bool, roomy);
        const QMargins frame(4, 30, 4, 4);
        TAnalysisMenu& analysis = *w->Analysis();
        Act(*w, "MenuStatistics")->trigger();
        Act(*w, "MenuTrends")->trigger();
        Act(*w, "MenuResponseTimes")->trigger();
        // A parameter with a long name widens the list that drops down, not the window.
        analysis.Trends()->ParameterBox->addItem(
            QStringLiteral("12345 P-0-4711 Output frequency of the second motor set [Hz] (99999 "
                           "values) and more"));
        const QMenuBar* bar = w->menuBar();
        const std::pair<QWidget*, QSize> windows[] = {
            {w.get(), QSize(833, 540 + bar->sizeHint().height())},
            {analysis.Trends(), QSize(900, 560)},
            {analysis.ResponseTimes(), QSize(800, 640)},
            {analysis.Statistics(), analysis.Statistics()->size()},
        };
        for (const auto& [window, design] : windows) {
            FitInto(*window, design, area, frame);
            QTest::qWait(1);
            // pos() is where the frame starts, whatever frame the platform draws itself.
            const QRect outer(window->pos(), window->size().grownBy(frame));
            QVERIFY2(area.contains(outer), qPrintable(window->objectName()));
            if (roomy || design.width() + 8 <= area.width())
                QCOMPARE(window->width(), design.width());
            ExpectInsideAndUnclipped(*window, TextControls(*window));
        }
        // Statistics shows every column without scrolling where the screen is wide enough.
        QTreeView& table = *analysis.Statistics()->View();
        if (roomy)
            QVERIFY(!table.horizontalScrollBar()->isVisible());
    }

    // However narrow the main window is made, the strip's captions stay whole: the groups move
    // onto further rows.
    void ShrinkingTheWindowClipsNoCaption() {
        for (const int width : {700, 520, 380, 260}) {
            w->resize(width, 500);
            QTest::qWait(1);
            ExpectInsideAndUnclipped(*w, StripControls(*w->Strip()));
            QVERIFY(w->ListView()->height() > 0);
        }
    }

    void LongPathsAndLargeFontsClipNothing() {
        // At the usual font: the standard sizes, and a long decoder path is cut in its middle.
        QCOMPARE(w->centralWidget()->width(), 833);
        TControlStrip& strip = *w->Strip();
        const QString path = QStringLiteral("/home/user/src/protocol-monitor/build/../tests/data/"
                                            "some/longer/folder/Para0001.bin");
        strip.Label1->setText(path);
        strip.Label1->setToolTip(path);
        QTest::qWait(10);
        ExpectUnclipped(StripControls(strip));
        auto* label = static_cast<TElidedLabel*>(strip.Label1);
        QVERIFY(label->ShownText().contains(QChar(0x2026)));
        QVERIFY(label->ShownText().endsWith(QStringLiteral(".bin")));
        QVERIFY(label->ShownText().startsWith(QStringLiteral("/home")));
        TFrmSellng& language = *w->FileChooser().LanguageDialog();
        QCOMPARE(language.size(), QSize(331, 149));
        QCOMPARE(language.BitBtn1->width(), 100);
        const int panelWidths[] = {80, 80, 155};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(w->statusBar()->findChild<QLabel*>(QStringLiteral("Panel%1").arg(i))->width(),
                     panelWidths[i]);

        // At one and a half times the font everything grows instead.
        const QFont normal = QApplication::font();
        QFont large = normal;
        large.setPointSizeF(normal.pointSizeF() * 1.5);
        QApplication::setFont(large);
        const auto restore = qScopeGuard([&normal] { QApplication::setFont(normal); });
        w = std::make_unique<TMyMonitor>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->Strip()->LabelErrors->setText(QStringLiteral("RxErrors:0"));
        QTest::qWait(10);
        ExpectUnclipped(StripControls(*w->Strip()));
        // The status bar's fixed panels hold the longest details they show.
        // Line-monitor entries of channel B with the largest stamp.
        std::vector<TTelEntry> entries(10000);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            TTelEntry& e = entries[i];
            e.Data[0] = static_cast<std::uint8_t>(1 + i % 200);
            e.Data[1] = 0x02;
            e.Channel = 1;
            e.TimeStamp = 0xFFFF;
        }
        w->Session().AddEntries(entries);
        TCaptureSettings settings = w->Session().Settings();
        settings.TimeStampResolution = 8192;
        w->Session().ApplySettings(settings);
        w->Session().ScrollTo(9999);
        w->ListView()->Sync();
        w->ListView()->SelectRow(0);
        w->ShowDetails();
        QCOMPARE(w->PanelText(2), QStringLiteral("TimeStamp:FFFF*8192us"));
        for (int i = 0; i < 3; ++i) {
            auto* panel = w->statusBar()->findChild<QLabel*>(QStringLiteral("Panel%1").arg(i));
            QVERIFY(panel->width() >= panel->fontMetrics().horizontalAdvance(panel->text()) +
                                          2 * panel->frameWidth());
        }
        TFrmSellng& large_language = *w->FileChooser().LanguageDialog();
        large_language.show();
        QVERIFY(QTest::qWaitForWindowExposed(&large_language));
        ExpectUnclipped({large_language.BitBtn1, large_language.BitBtn2, large_language.ComboBox1});
        const QFontMetrics metrics(large_language.BitBtn1->font());
        QVERIFY(large_language.BitBtn1->width() >
                metrics.horizontalAdvance(QStringLiteral("English only")));
        QVERIFY(large_language.rect().contains(large_language.BitBtn1->geometry()));
        large_language.hide();
    }
};

QTEST_MAIN(WindowFitTest)
#include "window_fit_test.moc"
