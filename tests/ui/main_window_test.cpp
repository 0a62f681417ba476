#include "capture/capture_hooks.h"
#include "capture/capture_test_support.h"
#include "capture/port_device.h"
#include "capture/pty_pair.h"
#include "capture/udp_argument.h"
#include "ui/cell_text.h"
#include "ui/control_strip.h"
#include "ui/file_chooser.h"
#include "ui/line_monitor_dialog.h"
#include "ui/main_window.h"
#include "ui/raw_format_dialog.h"
#include "ui/serial_ports.h"
#include "ui/telegram_list_view.h"
#include "ui/test_host.h"
#include "ui/window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <thread>

using namespace protmon;
using namespace protmon::uitest;

namespace {

// Clicks a check box or radio button on its indicator, which is what it reacts to.
void ClickBox(QWidget* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

class TTestChooser : public TFileChooser {
public:
    std::string SaveFileName(const std::string&, const std::string&) override {
        return saveName.toStdString();
    }
    std::string OpenFileName(const std::string&) override { return openName.toStdString(); }
    QString saveName, openName;
};

} // namespace

class MainWindowTest : public QObject, protected uitest::TWindowFixture {
    Q_OBJECT

private slots:
    void init() { CreateWindow(); }
    void cleanup() { DestroyWindow(); }

    void StartsIdleWithDefaults() {
        Show();
        QCOMPARE(w->windowTitle(), QStringLiteral("ZIZ Protocol Monitor V4.1"));
        QVERIFY(w->Strip()->ComBox->isEnabled());
        QVERIFY(w->Strip()->BaudBox->isEnabled());
        QCOMPARE(w->Strip()->BaudBox->currentText(), QStringLiteral("38400 Baud"));
        QVERIFY(w->Strip()->BtnTrx5->isChecked());
        QCOMPARE(Act(*w, "MenuBuffer")->text(), QStringLiteral("max.Buffer :10000"));
        QVERIFY(!Act(*w, "MenuLineMonitorInfo")->isEnabled());
        QCOMPARE(Act(*w, "MenuClear")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
        // Menus and separators as the command table lists them.
        QStringList file;
        for (QAction* a : w->menuBar()->actions().first()->menu()->actions())
            file << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(file, (QStringList{"Save", "Read", "Export...", "Import...", "-", "Copy", "Clear",
                                    "-", "Line monitor Info", "-", "Quit"}));
        QCOMPARE(w->centralWidget()->width(), 833);
    }

    void EnablingRulesInBothStates() {
        Show();
        const char* idleOnly[] = {
            "MenuSave",       "MenuRead",          "MenuCopy",          "MenuClear",
            "MenuQuit",       "MenuHexDisplay",    "MenuFont",          "MenuL7decoder",
            "MenuBuffer",     "MenuRawFormat",     "MenuLineMonitor",   "MenuClearBeforeStart",
            "MenuDetectLine", "MenuSetFilter",     "MenuFilterDisplay", "MenuSearch",
            "MenuTrigger",    "MenuExcludeFilter", "PopupMark",         "PopupShowFrame",
            "MenuExport",     "MenuImport",        "MenuTimeColumn",    "MenuResponseColumn",
            "PopupPartner"};
        for (bool capturing : {false, true}) {
            if (capturing)
                Start();
            for (const char* name : idleOnly)
                QVERIFY2(Act(*w, name)->isEnabled() == !capturing, name);
            // "Analysis" follows a running capture.
            for (QAction* menu : w->menuBar()->actions())
                QCOMPARE(menu->isEnabled(), !capturing || menu->text() == "Analysis");
            QVERIFY(Act(*w, "PopupStartStop")->isEnabled());
            QVERIFY(w->Strip()->BtnStart->isEnabled());
            QCOMPARE(w->Strip()->ComBox->isEnabled(), !capturing);
            QCOMPARE(w->Strip()->BaudBox->isEnabled(), !capturing);
            QCOMPARE(w->Strip()->ProtocolGroup->isEnabled(), !capturing);
            QCOMPARE(w->Strip()->SourceGroup->isEnabled(), !capturing);
            QCOMPARE(w->Strip()->BtnStart->text(),
                     capturing ? QStringLiteral("Stop") : QStringLiteral("Start"));
            // The 1 ms poll timer wakes the program only while it captures.
            QCOMPARE(w->PollTimer()->isActive(), capturing);
        }
        // "Line monitor Info" follows the "Monitor" box, and stays off while capturing.
        QTest::keyClick(w.get(), Qt::Key_F9);
        ClickBox(w->Strip()->CBMonitor);
        QVERIFY(Act(*w, "MenuLineMonitorInfo")->isEnabled());
        // No box on this line: a stand-in accepts the configuration.
        struct TAcceptingBox : ILineMonitorControl {
            int ConfigureLineMonitor() override { return kPortOk; }
            int LineMonitorCommand(int, int) override { return kPortOk; }
        } box;
        w->Session().SetLineMonitorControl(&box);
        w->LineMonitorDialog()->reject();
        Start();
        QVERIFY(!Act(*w, "MenuLineMonitorInfo")->isEnabled());
        QTest::keyClick(w.get(), Qt::Key_F9);
        QVERIFY(Act(*w, "MenuLineMonitorInfo")->isEnabled());
        w->Session().SetLineMonitorControl(nullptr);
    }

    void TitleChangesAtStart() {
        Show();
        QCOMPARE(w->windowTitle(), QStringLiteral("ZIZ Protocol Monitor V4.1"));
        Start();
        QCOMPARE(w->windowTitle(), QStringLiteral("ZIZ Protocol Monitor V4.1  "));
    }

    void ClearAsksOnlyWithUnsavedTelegrams() {
        Show();
        QTest::keyClick(w.get(), Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(host.questions.empty()); // empty list: nothing at all
        Start();
        pty->Write(Requests(1, 4));
        QTRY_COMPARE(w->Session().TelegramList().Count(), 4);
        QTRY_VERIFY(w->Session().UnsavedTelegrams());
        QTest::keyClick(w.get(), Qt::Key_F9);
        host.answers = {false};
        QTest::keyClick(w.get(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(host.questions, std::vector<std::string>{"Erase all recorded telegrams ?"});
        QCOMPARE(w->Session().TelegramList().Count(), 4);
        host.answers = {true};
        QTest::keyClick(w.get(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(w->Session().TelegramList().Count(), 0);
        QCOMPARE(Cell(*w, 0), QString());
        QCOMPARE(w->ListView()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("0"));
        QVERIFY(!host.busy);
    }

    void CaptureBlocksCommandKeysButF9Stops() {
        Show();
        AddTelegrams(*w, 3);
        Start();
        const char* names[] = {"MenuSetFilter",     "MenuFilterDisplay", "MenuTrigger",
                               "MenuExcludeFilter", "MenuCopy",          "MenuSearch",
                               "MenuHexDisplay"};
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const char* n : names)
            spies.push_back(std::make_unique<QSignalSpy>(Act(*w, n), &QAction::triggered));
        const QKeySequence keys[] = {Qt::Key_F2,
                                     Qt::Key_F3,
                                     Qt::Key_F4,
                                     Qt::Key_F5,
                                     QKeySequence(Qt::CTRL | Qt::Key_C),
                                     QKeySequence(Qt::CTRL | Qt::Key_F),
                                     Qt::Key_F12};
        for (const auto& k : keys)
            QTest::keySequence(w.get(), k);
        for (auto& s : spies)
            QCOMPARE(s->count(), 0);
        QVERIFY(!w->Session().HexDisplay());
        QTest::keyClick(w.get(), Qt::Key_F9);
        QVERIFY(!w->Capturing());
        QVERIFY(!w->Strip()->BtnStart->isChecked());
        // Idle again: F12 toggles the hexadecimal display.
        QTest::keyClick(w.get(), Qt::Key_F12);
        QVERIFY(w->Session().HexDisplay());
        QVERIFY(Act(*w, "MenuHexDisplay")->isChecked());
    }

    void RawWithCancelKeepsEntriesAndTrx5() {
        Show();
        AddTelegrams(*w, 5);
        host.answers = {false};
        ClickBox(w->Strip()->BtnRaw);
        QCOMPARE(host.questions, std::vector<std::string>{"Ok to delete all telegrams ?"});
        QCOMPARE(w->Session().TelegramList().Count(), 5);
        QVERIFY(w->Strip()->BtnTrx5->isChecked());
        QVERIFY(!w->Strip()->BtnRaw->isChecked());
        QCOMPARE(w->Session().Settings().Selection, Protocol::Trx5);
        // Between TRX5 and DIN66019II the entries stay without a question.
        ClickBox(w->Strip()->BtnDin);
        QCOMPARE(host.questions.size(), 1u);
        QCOMPARE(w->Session().Settings().Selection, Protocol::Din66019II);
        host.answers = {true};
        // Choosing RAW opens the raw format dialog; Escape closes it.
        bool dialogShown = false;
        QTimer::singleShot(0, w.get(), [&] {
            dialogShown = w->RawFormatDialog()->isVisible();
            QTest::keyClick(w->RawFormatDialog(), Qt::Key_Escape);
        });
        ClickBox(w->Strip()->BtnRaw);
        QVERIFY(dialogShown);
        QCOMPARE(w->Session().TelegramList().Count(), 0);
        QCOMPARE(w->Session().Settings().Selection, Protocol::Raw);
        // An operator box brings TRX5 back; with an empty list no question.
        ClickBox(w->Strip()->CBComm);
        QVERIFY(w->Strip()->BtnTrx5->isChecked());
        QCOMPARE(host.questions.size(), 2u);
    }

    void LiveDisplayIsRingWithBlankRow() {
        w->resize(833, 300);
        Show();
        const int rows = w->Session().RowWindow().VisibleRows();
        QVERIFY(rows >= 3);
        Start();
        pty->Write(Requests(1, rows - 1));
        QTRY_COMPARE(Cell(*w, rows - 2), QString::number(rows - 2));
        QCOMPARE(Cell(*w, rows - 1), QString());
        pty->Write(Requests(100, 1));
        QTRY_COMPARE(Cell(*w, rows - 1), QString::number(rows - 1));
        QCOMPARE(Cell(*w, 0), QStringLiteral("0")); // no blank row after a full page
        pty->Write(Requests(101, 1));
        QTRY_COMPARE(Cell(*w, 0), QString::number(rows));
        QCOMPARE(Cell(*w, 1), QString());
        QCOMPARE(w->ListView()->model()->headerData(0, Qt::Horizontal).toString(),
                 QString::number(rows + 1));
        // Keys and the wheel do not move the live rows.
        QTest::keyClick(w->ListView(), Qt::Key_Home);
        QCOMPARE(Cell(*w, 0), QString::number(rows));
        QTest::keyClick(w.get(), Qt::Key_F9);
        QCOMPARE(Cell(*w, 0), QStringLiteral("0"));
    }

    void LiveDisplayKeepsUpWithABurst() {
        Show();
        Start();
        // Ten thousand telegrams at once: every one recorded, the newest on screen before the
        // blank row.
        constexpr int kBurst = 10000;
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < kBurst; ++i) {
            const auto t = test::Telegram({static_cast<std::uint8_t>(1 + i % 250), 0x10});
            bytes.insert(bytes.end(), t.begin(), t.end());
        }
        // The line is played from a thread: the pty holds only a few kilobytes, and the window
        // reads them on this thread.
        std::thread line([this, &bytes] { pty->Write(bytes); });
        const auto joinLine = qScopeGuard([&line] { line.join(); });
        QTRY_COMPARE_WITH_TIMEOUT(w->Session().TelegramList().Count(), kBurst, 10000);
        QTRY_COMPARE(w->Session().RowWindow().NextLiveEntry(), kBurst);
        const int rows = w->Session().RowWindow().VisibleRows();
        const int newestRow = (kBurst - 1) % rows;
        QCOMPARE(Cell(*w, newestRow), QString::number(kBurst - 1));
        if (newestRow + 1 < rows)
            QCOMPARE(Cell(*w, newestRow + 1), QString());
        QVERIFY(w->Session().UnsavedTelegrams());
        QCOMPARE(host.errors.size(), 0u);
    }

    // Bursts of every size against the coalesced repaint: after each one the page catches up with
    // the last telegram (ring order, blank row after the newest), and after Stop the list holds
    // every telegram in the order sent.
    void EveryBurstIsRecordedAndShown() {
        Show();
        Start();
        const int rows = w->Session().RowWindow().VisibleRows();
        auto id = [](int k) { return static_cast<std::uint8_t>(1 + k % 250); };
        int sent = 0;
        for (const int burst : {1, rows - 2, 1, 3 * rows + 1, 400}) {
            std::vector<std::uint8_t> bytes;
            for (int k = sent; k < sent + burst; ++k) {
                const auto t = test::Telegram({id(k), 0x10});
                bytes.insert(bytes.end(), t.begin(), t.end());
            }
            pty->Write(bytes);
            sent += burst;
            QTRY_COMPARE(w->ListView()->model()->headerData(0, Qt::Horizontal).toString(),
                         QString::number(sent));
            QTRY_COMPARE(Cell(*w, (sent - 1) % rows), QString::number(sent - 1));
            for (int r = 0; r < rows; ++r) {
                // The newest position shown in row r, or blank after the newest / not yet reached.
                int p = sent - 1 - ((sent - 1 - r) % rows + rows) % rows;
                const bool blank = p < 0 || (r == sent % rows && sent % rows != 0);
                QCOMPARE(Cell(*w, r), blank ? QString() : QString::number(p));
            }
        }
        QTest::keyClick(w.get(), Qt::Key_F9);
        const TTelegramList& list = w->Session().TelegramList();
        QCOMPARE(list.Count(), sent);
        for (int k = 0; k < sent; ++k)
            QCOMPARE(list.At(k)->Data[0], id(k));
        QCOMPARE(host.errors.size(), 0u);
    }

    void WheelScrollsOnlyWhileIdle() {
        Show();
        AddTelegrams(*w, 200);
        auto wheel = [this](int delta) {
            QWheelEvent e(QPointF(50, 50), w->mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w->ListView()->viewport(), &e);
        };
        const int lines = QApplication::wheelScrollLines();
        wheel(-120); // one notch down
        QCOMPARE(w->Session().RowWindow().ScrollPosition(), lines);
        QCOMPARE(Cell(*w, 0), QString::number(lines));
        wheel(240);
        QCOMPARE(w->Session().RowWindow().ScrollPosition(), 0);
        Start();
        wheel(-120);
        QCOMPARE(w->Session().RowWindow().ScrollPosition(), 0);
    }

    void PageDownEndUpAtTheEdges() {
        w->resize(833, 400);
        Show();
        AddTelegrams(*w, 100);
        const int rows = w->Session().RowWindow().VisibleRows();
        auto* view = w->ListView();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Down); // no focused row yet: row 0, top
        QCOMPARE(view->SelectedRow(), 0);
        QTest::keyClick(view, Qt::Key_Up);
        QCOMPARE(w->Session().RowWindow().ScrollPosition(), 0);
        QCOMPARE(view->SelectedRow(), 0);
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(w->Session().RowWindow().ScrollPosition(), 100 - rows);
        QCOMPARE(view->SelectedRow(), rows - 1);
        QCOMPARE(Cell(*w, rows - 1), QStringLiteral("99"));
        QCOMPARE(view->ScrollBar()->value(), 100 - rows);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(w->Session().RowWindow().ScrollPosition(), 100 - rows);
        QTest::keyClick(view, Qt::Key_Home);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(Cell(*w, 0), QString::number(rows));
        QCOMPARE(view->SelectedRow(), 0);
        QTest::keyClick(view, Qt::Key_Up);
        QCOMPARE(Cell(*w, 0), QString::number(rows - 1));
        // The scroll bar moves the window too.
        view->ScrollBar()->setValue(10);
        QCOMPARE(Cell(*w, 0), QStringLiteral("10"));
    }

    void FilterDisplayAndSearch() {
        Show();
        AddTelegrams(*w, 20);                 // addresses 1 .. 20
        QTest::keyClick(w.get(), Qt::Key_F3); // no filter set: nothing happens
        QCOMPARE(w->windowTitle(), QStringLiteral("ZIZ Protocol Monitor V4.1"));
        TFilterCriteria f = w->Session().IncludeFilter();
        f.IDLow = 4; // "3": addresses 03h and 13h
        f.FormDeactivate();
        w->Session().SetIncludeFilter(f);
        QVERIFY(w->Session().IncludeFilter().FilterActive());
        QTest::keyClick(w.get(), Qt::Key_F3);
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" [filtered]")));
        QCOMPARE(w->ListView()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("[2]"));
        QCOMPARE(Cell(*w, 0), QStringLiteral("2"));
        QCOMPARE(Cell(*w, 1), QStringLiteral("18"));
        QCOMPARE(Cell(*w, 2), QString());
        QCOMPARE(w->Session().RowWindow().ScrollMax(), 1);
        QTest::keyClick(w.get(), Qt::Key_F3);
        QCOMPARE(w->windowTitle(), QStringLiteral("ZIZ Protocol Monitor V4.1  "));
        QCOMPARE(Cell(*w, 2), QStringLiteral("2"));
        // Search from the selected row finds the next entry that passes.
        w->ListView()->SelectRow(0);
        w->Strip()->BtnStart->setFocus();
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(w->Session().RowWindow().SelectedEntry(w->ListView()->SelectedRow()), 2);
        QVERIFY(w->ListView()->hasFocus()); // arrow keys and Space act on the list
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(w->Session().RowWindow().SelectedEntry(w->ListView()->SelectedRow()), 18);
    }

    void ResizeChangesRowCount() {
        Show();
        auto* view = w->ListView();
        const int h = view->RowHeight();
        w->resize(833, 500);
        QTRY_VERIFY(view->RowModel()->rowCount() == w->Session().RowWindow().VisibleRows());
        const int before = w->Session().RowWindow().VisibleRows();
        QCOMPARE(before, view->viewport()->height() / h);
        w->resize(833, 500 + 5 * h);
        QTRY_COMPARE(w->Session().RowWindow().VisibleRows(), before + 5);
        QCOMPARE(view->RowModel()->rowCount(), before + 5);
        w->resize(600, 120);
        QTRY_COMPARE(view->columnWidth(3), TRowWindow::Column3Width(view->width(), 62, 49, 172));
        QVERIFY(w->Session().RowWindow().VisibleRows() >= 1);
        w->resize(300, 60);
        QTRY_COMPARE(view->columnWidth(3), 200);
        QCOMPARE(w->Session().RowWindow().VisibleRows(), 1);
        QCOMPARE(view->RowModel()->rowCount(), w->Session().RowWindow().VisibleRows());
    }

    void ClosingWhileCapturingStopsFirst() {
        Show();
        Start();
        pty->Write(Requests(1, 2));
        QTRY_COMPARE(w->Session().TelegramList().Count(), 2);
        w->close();
        QVERIFY(!w->Capturing());
        QVERIFY(!w->Strip()->BtnStart->isChecked());
        QVERIFY(!w->Session().PortOpen());
    }

    void DetailsMarkAndFrame() {
        Show();
        std::vector<TTelEntry> entries(4);
        for (int i = 0; i < 4; ++i) {
            TTelEntry& e = entries[static_cast<std::size_t>(i)];
            e.Data[0] = 5;
            e.Data[1] = 2;
            // Entry 2 carries no line-monitor information (looked at last).
            e.Channel = i == 2 ? kNoChannel : static_cast<std::uint16_t>(i % 2);
            e.TimeStamp = static_cast<std::uint16_t>(0xFFF0 + 0x10 * i);
        }
        w->Session().AddEntries(entries);
        auto* view = w->ListView();
        view->SelectRow(0);
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(w->PanelText(0), QStringLiteral("Entry:0"));
        QCOMPARE(w->PanelText(1), QStringLiteral("Channel:A"));
        QCOMPARE(w->PanelText(3), QString());
        QTest::keyClick(w.get(), Qt::Key_M);
        QCOMPARE(w->Session().MarkIndex(), 0);
        QCOMPARE(Cell(*w, 0), QStringLiteral("<0>"));
        QCOMPARE(w->PanelText(3), QStringLiteral("Delta time: 0us"));
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(w->PanelText(0), QStringLiteral("Entry:1"));
        QCOMPARE(w->PanelText(1), QStringLiteral("Channel:B"));
        QCOMPARE(w->PanelText(3), QStringLiteral("Delta time: 0us")); // resolution still 0
        Act(*w, "PopupShowFrame")->trigger();
        QCOMPARE(host.infos.size(), 1u);
        QVERIFY(host.infos[0].rfind("Frame:\n05 02 ", 0) == 0);
        // Entries without line-monitor information leave the panels as they were.
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(w->PanelText(0), QStringLiteral("Entry:1"));
    }

    void BadUdpArgumentStillComesUp() {
        auto udp = std::make_unique<TMyMonitor>(QStringList{"myhost:50x0"});
        udp->SetHost(&host);
        udp->show();
        QTRY_COMPARE(host.infos.size(), 1u);
        QVERIFY(host.infos[0].find("myhost:50x0") != std::string::npos);
        QCOMPARE(udp->Strip()->ComBox->currentText(), QStringLiteral("myhost"));
        QCOMPARE(udp->Strip()->BaudBox->currentText(), QStringLiteral("0"));
        QVERIFY(!udp->Strip()->ComBox->isEnabled());
        QVERIFY(!udp->Strip()->BaudBox->isEnabled());
        QVERIFY(udp->Strip()->BtnStart->isEnabled());
        const struct {
            const char* arg;
            const char* host;
            int port;
            bool ok;
        } cases[] = {{"h:5000", "h", 5000, true}, {"h", "h", 0, true},
                     {"h:", "h", 0, false},       {"h:-1", "h", 0, false},
                     {"h:70000", "h", 0, false},  {"h:1:2", "h", 0, false}};
        for (const auto& c : cases) {
            const TUdpArgument a = ParseUdpArgument(c.arg);
            QCOMPARE(a.Host, std::string(c.host));
            QCOMPARE(a.Port, c.port);
            QCOMPARE(a.PortUnderstood, c.ok);
        }
    }

    void StartWithoutPortStaysIdle() {
        Show();
        w->Strip()->ComBox->setEditText(QStringLiteral("/dev/no-such-port"));
        QTest::mouseClick(w->Strip()->BtnStart, Qt::LeftButton);
        QVERIFY(!w->Capturing());
        QCOMPARE(host.errors, std::vector<std::string>{"Serial interface not available"});
        QVERIFY(!w->Strip()->BtnStart->isChecked());
        QCOMPARE(w->Strip()->BtnStart->text(), QStringLiteral("Start"));
        QVERIFY(Act(*w, "MenuSave")->isEnabled());
    }

    void SaveThenReadGivesTheSameRows() {
        Show();
        std::vector<TTelEntry> entries(30);
        for (int i = 0; i < 30; ++i) {
            TTelEntry& e = entries[static_cast<std::size_t>(i)];
            const auto t = test::Telegram({static_cast<std::uint8_t>(1 + i), 0x10});
            std::copy(t.begin(), t.end(), e.Data.begin());
            e.Channel = static_cast<std::uint16_t>(i % 2);
            e.TimeStamp = static_cast<std::uint16_t>(i * 100);
        }
        w->Session().AddEntries(entries);
        QStringList before;
        for (int r = 0; r < w->Session().RowWindow().VisibleRows(); ++r)
            before << Cell(*w, r, 0) + Cell(*w, r, 1) + Cell(*w, r, 2) + Cell(*w, r, 3);

        QTemporaryDir dir;
        TTestChooser chooser;
        chooser.saveName = dir.filePath(QStringLiteral("rec.txt")); // becomes rec.bu5
        chooser.openName = dir.filePath(QStringLiteral("rec.bu5"));
        w->SetFileChooser(&chooser);
        Act(*w, "MenuSave")->trigger();
        QVERIFY(host.errors.empty());
        QCOMPARE(w->Session().CurrentFileName(), chooser.openName.toStdString());
        QCOMPARE(w->windowTitle(),
                 QStringLiteral("ZIZ Protocol Monitor V4.1  ") + chooser.openName);
        // Saving again asks before overwriting; Cancel keeps the file as it is.
        host.answers = {false};
        Act(*w, "MenuSave")->trigger();
        QCOMPARE(host.questions.back(), "Confirm overwriting " + chooser.openName.toStdString());

        // Saved, so Read clears without asking.
        host.questions.clear();
        Act(*w, "MenuRead")->trigger();
        QVERIFY(host.questions.empty());
        QVERIFY(host.errors.empty());
        QCOMPARE(w->Session().TelegramList().Count(), 30);
        QStringList after;
        for (int r = 0; r < w->Session().RowWindow().VisibleRows(); ++r)
            after << Cell(*w, r, 0) + Cell(*w, r, 1) + Cell(*w, r, 2) + Cell(*w, r, 3);
        QCOMPARE(after, before);
        QCOMPARE(w->Session().TelegramList().At(7)->TimeStamp, 700);
        // Review hook: a picture of the window with a recording, a mark and details.
        if (const QString shot = qEnvironmentVariable("PROTMON_SCREENSHOT"); !shot.isEmpty()) {
            w->ListView()->SelectRow(2);
            Act(*w, "PopupMark")->trigger();
            w->ListView()->SelectRow(6);
            w->ShowDetails();
            w->grab().save(shot);
        }
        QVERIFY(!w->Session().UnsavedTelegrams());

        // A file that cannot be opened leaves everything as it was.
        chooser.openName = dir.filePath(QStringLiteral("missing.bu5"));
        Act(*w, "MenuRead")->trigger();
        QCOMPARE(host.errors, std::vector<std::string>{"Error reading from file"});
        w->SetFileChooser(nullptr);
    }

    void SerialPortsAreDevicesWithADriver() {
        QTemporaryDir sys;
        QDir root(sys.path());
        for (const char* name : {"ttyUSB0", "ttyS1", "tty0", "ttyS0"})
            root.mkdir(QString::fromLatin1(name));
        for (const char* name : {"ttyUSB0", "ttyS1", "ttyS0"})
            root.mkdir(QString::fromLatin1(name) + QStringLiteral("/device"));
        QCOMPARE(SerialPortPaths(sys.path(), QStringLiteral("/dev")),
                 (QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"}));
        QCOMPARE(SerialPortPaths(sys.filePath(QStringLiteral("missing"))), QStringList());
        // Focus refreshes the box but keeps a typed path.
        Show();
        w->Strip()->ComBox->setEditText(QStringLiteral("/dev/pts/77"));
        w->Strip()->ComBox->setFocus();
        QTRY_VERIFY(w->Strip()->ComBox->hasFocus());
        QCOMPARE(w->Strip()->ComBox->currentText(), QStringLiteral("/dev/pts/77"));
    }

    void CellsShowControlBytesVisibly() {
        const std::string raw("A\x01\x0D\x7F\x85\xB0", 6);
        const QString shown = VisibleCellText(raw);
        QCOMPARE(shown.size(), 6);
        QCOMPARE(shown[1], QChar(0x2401));
        QCOMPARE(shown[2], QChar(0x240D));
        QCOMPARE(shown[3], QChar(0x2421));
        QCOMPARE(shown[4], QChar(0x25C5)); // C1: a shape of its own
        QCOMPARE(shown[5], QChar(0xB0));   // degree sign as Latin-1
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
