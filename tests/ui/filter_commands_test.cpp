#include "capture/capture_test_support.h"
#include "capture/pty_pair.h"
#include "ui/control_strip.h"
#include "ui/copy_dialog.h"
#include "ui/filter_dialog.h"
#include "ui/main_window.h"
#include "ui/telegram_list_view.h"
#include "ui/test_host.h"
#include "ui/trigger_dialog.h"
#include "ui/window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace protmon;
using namespace protmon::uitest;

namespace {

int SelectedEntry(TMyMonitor& w) {
    return w.Session().RowWindow().SelectedEntry(w.ListView()->SelectedRow());
}

// Runs `act` on the modal dialog a command opens, once it is up. Returns a flag that tells
// whether it ran, so a test notices a dialog that never came.
std::shared_ptr<bool> WhenModal(std::function<void(QWidget*)> act) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act, ran, tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            if (++*tries > 400) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        *ran = true;
        act(modal);
    });
    timer->start();
    return ran;
}

// Counts the dialogs shown while it lives and closes each at once. A command runs its dialog
// modally, so once the command returned, every dialog it opened has been counted.
class TDialogsShown : public QObject {
public:
    TDialogsShown() { qApp->installEventFilter(this); }
    ~TDialogsShown() override { qApp->removeEventFilter(this); }
    int Count() const { return count_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (auto* dialog = qobject_cast<QDialog*>(watched);
            dialog && event->type() == QEvent::Show) {
            ++count_;
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        }
        return false;
    }

private:
    int count_ = 0;
};

QStringList ClipboardLines() {
    QString text = QGuiApplication::clipboard()->text();
    if (!text.endsWith(QStringLiteral("\r\n")))
        return {QStringLiteral("<no CR LF at the end>")};
    text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

} // namespace

class FilterCommandsTest : public QObject, protected uitest::TWindowFixture {
    Q_OBJECT

    // "Trigger" with the dialog answered: activated or off, the delay text, OK or Cancel.
    void SetTrigger(bool activated, const char* delay, bool ok = true) {
        auto ran = WhenModal([activated, delay, ok](QWidget* m) {
            auto* d = qobject_cast<TfrmTrigger*>(m);
            QVERIFY(d != nullptr);
            (activated ? d->RBTriggerOn : d->RBTriggerOff)->click();
            d->SetDelayText(delay);
            (ok ? d->BtnOk : d->BtnCancel)->click();
        });
        Act(*w, "MenuTrigger")->trigger();
        QVERIFY(*ran);
    }
    // "Copy" with the dialog's fields set (null keeps the prepared text).
    void Copy(const char* from, const char* to, bool ok = true) {
        auto ran = WhenModal([from, to, ok](QWidget* m) {
            auto* d = qobject_cast<TFrmCopy*>(m);
            QVERIFY(d != nullptr);
            if (from != nullptr)
                d->EditFrom->setText(QString::fromLatin1(from));
            if (to != nullptr)
                d->EditTo->setText(QString::fromLatin1(to));
            (ok ? d->BtnOk : d->BtnCancel)->click();
        });
        Act(*w, "MenuCopy")->trigger();
        QVERIFY(*ran);
    }
    // The include filter with the ID's low nibble `nibble`, as its dialog leaves it.
    void SetIdLow(int nibble) {
        TFilterCriteria c = w->Session().IncludeFilter();
        c.IDLow = nibble + 1;
        c.FormDeactivate();
        w->Session().SetIncludeFilter(c);
    }

private slots:
    void init() { CreateWindow(); }
    void cleanup() { DestroyWindow(); }

    void FilterDialogsThenFilterDisplay() {
        Show();
        AddTelegrams(*w, 20);
        QCOMPARE(w->IncludeFilterDialog()->windowTitle(), QStringLiteral("Filter settings"));
        QCOMPARE(w->ExcludeFilterDialog()->windowTitle(),
                 QStringLiteral("Display exclude filter settings"));
        // Both filters reset: F3 changes nothing.
        QTest::keyClick(w.get(), Qt::Key_F3);
        QVERIFY(!Act(*w, "MenuFilterDisplay")->isChecked());
        QCOMPARE(w->windowTitle(), QStringLiteral("ZIZ Protocol Monitor V4.1"));

        // F2: ID low nibble 3, closed with Esc; the criteria keep it.
        auto ran = WhenModal([](QWidget* m) {
            auto* d = qobject_cast<Tfilter*>(m);
            QVERIFY(d != nullptr);
            QCOMPARE(d->windowTitle(), QStringLiteral("Filter settings"));
            d->IDLow->setCurrentIndex(4);
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QTest::keyClick(w.get(), Qt::Key_F2);
        QVERIFY(*ran);
        QVERIFY(w->Session().IncludeFilter().FilterActive());
        QCOMPARE(w->Session().FilteredView().FilteredCount(), -1); // not filtered: no rebuild

        Show();
        QTest::keyClick(w.get(), Qt::Key_F3);
        QVERIFY(Act(*w, "MenuFilterDisplay")->isChecked());
        QCOMPARE(w->windowTitle(), QStringLiteral("ZIZ Protocol Monitor V4.1   [filtered]"));
        QCOMPARE(w->Session().FilteredView().FilteredCount(), 2); // IDs 0x03 and 0x13
        QCOMPARE(Cell(*w, 0), QStringLiteral("2"));
        QCOMPARE(Cell(*w, 1), QStringLiteral("18"));
        QCOMPARE(Cell(*w, 2), QString());

        // F5 while filtered: closing the exclude dialog rebuilds the view.
        ran = WhenModal([](QWidget* m) {
            auto* d = qobject_cast<Tfilter*>(m);
            QVERIFY(d != nullptr);
            QCOMPARE(d->windowTitle(), QStringLiteral("Display exclude filter settings"));
            d->IDHigh->setCurrentIndex(2); // high nibble 1
            d->BtnOk->click();
        });
        Show();
        QTest::keyClick(w.get(), Qt::Key_F5);
        QVERIFY(*ran);
        QCOMPARE(w->Session().FilteredView().FilteredCount(), 1);
        QCOMPARE(Cell(*w, 0), QStringLiteral("2"));
        QCOMPARE(Cell(*w, 1), QString());

        // An exclude filter that takes out everything: the message, an empty filtered view.
        ran = WhenModal([](QWidget* m) {
            auto* d = qobject_cast<Tfilter*>(m);
            d->ResetFilter->click();
            d->cbSlaveSelect->click(); // active, and matches every coded telegram
            d->BtnOk->click();
        });
        Act(*w, "MenuExcludeFilter")->trigger();
        QVERIFY(*ran);
        QCOMPARE(host.infos, std::vector<std::string>{"No telegrams matched ALL filter settings."});
        QCOMPARE(w->Session().FilteredView().FilteredCount(), 0);
        QCOMPARE(Cell(*w, 0), QString());
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" [filtered]")));

        Show(); // the offscreen platform gives the activation back to no window
        QTest::keyClick(w.get(), Qt::Key_F3);
        QVERIFY(!Act(*w, "MenuFilterDisplay")->isChecked());
        QCOMPARE(w->Session().FilteredView().FilteredCount(), -1);
        QCOMPARE(w->windowTitle(), QStringLiteral("ZIZ Protocol Monitor V4.1  "));
        QCOMPARE(Cell(*w, 1), QStringLiteral("1"));
    }

    // "Entry:" always names the selected telegram: Filter display moves the selection in both
    // directions, and a row left blank selects nothing.
    void EntryPanelFollowsTheSelectionThroughFilterDisplay() {
        Show();
        // IDs 0x03 and 0x13 at positions 2 and 18; line-monitor entries show details.
        AddTelegrams(*w, 20, 0);
        SetIdLow(3);
        const auto expectPanelOfSelection = [this] {
            const int selected = SelectedEntry(*w);
            QCOMPARE(w->PanelText(0),
                     selected < 0 ? QString() : QStringLiteral("Entry:%1").arg(selected));
        };
        for (const int row : {5, 1}) {
            w->ListView()->SelectRow(row);
            w->ShowDetails();
            QCOMPARE(w->PanelText(0), QStringLiteral("Entry:%1").arg(row));
            Act(*w, "MenuFilterDisplay")->trigger(); // on
            expectPanelOfSelection();
            Act(*w, "MenuFilterDisplay")->trigger(); // off
            expectPanelOfSelection();
        }
    }

    void ClearWhileFilteredCountsNoRemovedEntries() {
        Show();
        AddTelegrams(*w, 20);
        SetIdLow(3);
        Act(*w, "MenuFilterDisplay")->trigger();
        QCOMPARE(w->Session().FilteredView().FilteredCount(), 2);
        Act(*w, "MenuClear")->trigger();
        QCOMPARE(w->Session().TelegramList().Count(), 0);
        QCOMPARE(w->Session().FilteredView().FilteredCount(), 0);
        QVERIFY(host.infos.empty()); // rebuilt quietly
        AddTelegrams(*w, 4);
        Act(*w, "MenuFilterDisplay")->trigger(); // off
        QCOMPARE(w->Session().FilteredView().FilteredCount(), -1);
        QCOMPARE(Cell(*w, 3), QStringLiteral("3"));
    }

    void SearchMovesTheSelection() {
        Show();
        AddTelegrams(*w, 40); // IDs 0x03, 0x13, 0x23 at positions 2, 18, 34
        SetIdLow(3);
        w->ListView()->SelectRow(0);
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(SelectedEntry(*w), 2);
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(SelectedEntry(*w), 18);
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(SelectedEntry(*w), 34);
        QVERIFY(host.infos.empty());
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(host.infos, std::vector<std::string>{"No more telegrams to find."});
        QCOMPARE(SelectedEntry(*w), 34);

        QTest::keyClick(w.get(), Qt::Key_F3);
        host.infos.clear();
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(host.infos, std::vector<std::string>{"Display already filtered"});
    }

    void TriggerCommandSetsCaptionAndCheckMark() {
        Show();
        QAction* item = Act(*w, "MenuTrigger");
        QCOMPARE(item->text(), QStringLiteral("Trigger "));
        QVERIFY(!item->isChecked());
        SetTrigger(true, "10h");
        QCOMPARE(w->Session().Trigger().TriggerDelay(), 16);
        QCOMPARE(item->text(), QStringLiteral("Trigger (16 delay)"));
        QVERIFY(item->isChecked());
        // Cancel changes nothing, the check mark included; the field shows the delay.
        auto ran = WhenModal([](QWidget* m) {
            auto* d = qobject_cast<TfrmTrigger*>(m);
            QCOMPARE(d->EditDelay->text(), QStringLiteral("16"));
            QVERIFY(d->RBTriggerOn->isChecked());
            d->RBTriggerOff->click();
            d->BtnCancel->click();
        });
        item->trigger();
        QVERIFY(*ran);
        QCOMPARE(w->Session().Trigger().TriggerDelay(), 16);
        QVERIFY(item->isChecked());
        QCOMPARE(item->text(), QStringLiteral("Trigger (16 delay)"));
        // The radio choice made before Cancel is kept; OK now switches the trigger off.
        ran = WhenModal([](QWidget* m) {
            auto* d = qobject_cast<TfrmTrigger*>(m);
            QVERIFY(d->RBTriggerOff->isChecked());
            QVERIFY(!d->EditDelay->isEnabled());
            d->BtnOk->click();
        });
        item->trigger();
        QVERIFY(*ran);
        QCOMPARE(item->text(), QStringLiteral("Trigger "));
        QVERIFY(!item->isChecked());
        // A negative delay is no trigger.
        SetTrigger(true, "-7");
        QCOMPARE(w->Session().Trigger().TriggerDelay(), -1);
        QVERIFY(!item->isChecked());
        QVERIFY(host.infos.empty());
        // A delay at the buffer depth warns, and is kept.
        SetTrigger(true, "10000");
        QCOMPARE(host.infos, std::vector<std::string>{
                                 "WARNING: Trigger delay is larger than maximum buffer size!"});
        QCOMPARE(item->text(), QStringLiteral("Trigger (10000 delay)"));
    }

    void TriggerWithDelayZeroStopsAtTheMatch() {
        Show();
        SetIdLow(3);
        SetTrigger(true, "0");
        Start();
        pty->Write(Requests(1, 6));
        QTRY_VERIFY(!w->Capturing());
        QCOMPARE(w->Session().TelegramList().Count(), 3); // IDs 1, 2 and the trigger telegram 3
        QCOMPARE(host.infos, std::vector<std::string>{"Filter has been triggered."});
        QCOMPARE(SelectedEntry(*w), 2);
        QCOMPARE(w->Strip()->BtnStart->text(), QStringLiteral("Start"));
        QVERIFY(Act(*w, "MenuTrigger")->isEnabled());
        // The next start arms it again.
        Start();
        pty->Write(Requests(0x13, 1));
        QTRY_VERIFY(!w->Capturing());
        QCOMPARE(SelectedEntry(*w), w->Session().TelegramList().Count() - 1);
    }

    void TriggerWithDelayThreeRecordsThreeMore() {
        Show();
        SetIdLow(3);
        SetTrigger(true, "3");
        Start();
        pty->Write(Requests(1, 10));
        QTRY_VERIFY(!w->Capturing());
        QCOMPARE(w->Session().TelegramList().Count(), 6);
        QCOMPARE(SelectedEntry(*w), 2); // the fourth entry from the end
        QCOMPARE(w->Session().TelegramList().At(2)->Data[0], 3);
    }

    void TriggerWithResetFilterFiresOnFirstEntry() {
        Show();
        SetTrigger(true, "0");
        Start();
        pty->Write(Requests(7, 3));
        QTRY_VERIFY(!w->Capturing());
        QCOMPARE(w->Session().TelegramList().Count(), 1);
        QCOMPARE(SelectedEntry(*w), 0);
    }

    void TriggerBeyondTheDepthSelectsNothing() {
        Show();
        auto ran = WhenModal([](QWidget* m) {
            auto* box = qobject_cast<QInputDialog*>(m);
            box->setTextValue(QStringLiteral("10"));
            box->accept();
        });
        Act(*w, "MenuBuffer")->trigger();
        QVERIFY(*ran);
        SetTrigger(true, "15");
        QCOMPARE(host.infos, std::vector<std::string>{
                                 "WARNING: Trigger delay is larger than maximum buffer size!"});
        Start();
        pty->Write(Requests(1, 30));
        QTRY_VERIFY(!w->Capturing());
        QCOMPARE(host.infos.back(), std::string("Filter has been triggered."));
        QCOMPARE(w->Session().TelegramList().Count(), 10);
        QCOMPARE(w->Session().TelegramList().At(9)->Data[0], 16); // the 16th entry stopped it
        QCOMPARE(w->ListView()->SelectedRow(), -1);
        QCOMPARE(w->Session().RowWindow().ScrollPosition(), 0);
        QCOMPARE(Cell(*w, 0), QStringLiteral("0"));
    }

    void CopyRangeToClipboard() {
        Show();
        AddTelegrams(*w, 3);
        auto ran = WhenModal([](QWidget* m) {
            auto* d = qobject_cast<TFrmCopy*>(m);
            QVERIFY(d != nullptr);
            QCOMPARE(d->windowTitle(), QStringLiteral("Copy telegrams to clipboard"));
            QCOMPARE(d->EditFrom->text(), QStringLiteral("0"));
            QCOMPARE(d->EditTo->text(), QStringLiteral("2"));
            QVERIFY(d->RBRange->isChecked());
            QVERIFY(!d->RBAllFiltered->isEnabled());
            d->BtnOk->click();
        });
        w->ListView()->setFocus(); // the list view leaves Ctrl+C to the menu
        QTest::keyClick(w->ListView(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(*ran);
        const QStringList lines = ClipboardLines();
        QCOMPARE(lines.size(), 3);
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(lines[r], Cell(*w, r, 0) + '\t' + Cell(*w, r, 1) + '\t' + Cell(*w, r, 2) +
                                   '\t' + Cell(*w, r, 3));
        }
        QVERIFY(host.infos.empty());
        QVERIFY(!host.busy);
    }

    void CopyLimitsAndRefusals() {
        Show();
        AddTelegrams(*w, 1500);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        const struct {
            const char* from;
            const char* to;
            const char* message;
        } refused[] = {{"1A", "3", "Illegal range selected !"},
                       {"0", "", "Illegal range selected !"},
                       {"5", "4", "Illegal range selected !"}};
        for (const auto& r : refused) {
            host.infos.clear();
            Copy(r.from, r.to);
            QCOMPARE(host.infos, std::vector<std::string>{r.message});
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        }
        Copy(nullptr, nullptr, false); // Cancel
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

        host.infos.clear();
        Copy("0", "1499");
        QCOMPARE(host.infos,
                 std::vector<std::string>{"Count of telegrams is limited to 1000 items."});
        QStringList lines = ClipboardLines();
        QCOMPARE(lines.size(), 1000);
        QVERIFY(lines.last().startsWith(QStringLiteral("999\t")));

        Copy("-5", "3");
        lines = ClipboardLines();
        QCOMPARE(lines.size(), 9);
        QVERIFY(lines.first().startsWith(QStringLiteral("0\t")));

        Copy("1495", "0x7FFFFFFF");
        lines = ClipboardLines();
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines.first().startsWith(QStringLiteral("1495\t")));
    }

    void CopyAllFilteredTelegrams() {
        Show();
        AddTelegrams(*w, 40); // ID low nibble 3 at positions 2, 18, 34
        SetIdLow(3);
        Act(*w, "MenuFilterDisplay")->trigger();
        QCOMPARE(w->Session().FilteredView().FilteredCount(), 3);
        auto ran = WhenModal([](QWidget* m) {
            auto* d = qobject_cast<TFrmCopy*>(m);
            QVERIFY(d->RBAllFiltered->isEnabled());
            QVERIFY(d->RBAllFiltered->isChecked());
            QVERIFY(!d->RBRange->isChecked());
            d->BtnOk->click();
        });
        Act(*w, "MenuCopy")->trigger();
        QVERIFY(*ran);
        const QStringList lines = ClipboardLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith(QStringLiteral("2\t")));
        QVERIFY(lines[1].startsWith(QStringLiteral("18\t")));
        QVERIFY(lines[2].startsWith(QStringLiteral("34\t")));
    }

    void CopyOnEmptyListDoesNothing() {
        Show();
        const TDialogsShown dialogs;
        Act(*w, "MenuCopy")->trigger();
        QCOMPARE(dialogs.Count(), 0);
    }

    void BufferInputBox() {
        Show();
        AddTelegrams(*w, 25);
        QAction* item = Act(*w, "MenuBuffer");
        // Cancel changes nothing.
        auto ran = WhenModal([](QWidget* m) {
            auto* box = qobject_cast<QInputDialog*>(m);
            QVERIFY(box != nullptr);
            QCOMPARE(box->windowTitle(), QStringLiteral("ZIZ Protocol Monitor V4.1"));
            QCOMPARE(box->labelText(), QStringLiteral("Enter maximum no. of telegrams to record"));
            QCOMPARE(box->textValue(), QStringLiteral("10000"));
            box->reject();
        });
        item->trigger();
        QVERIFY(*ran);
        QCOMPARE(w->Session().TelegramList().Count(), 25);
        QCOMPARE(item->text(), QStringLiteral("max.Buffer :10000"));
        // 5 becomes 10 and the newest entries go, also from a filtered view.
        SetIdLow(3);
        Act(*w, "MenuFilterDisplay")->trigger();
        QCOMPARE(w->Session().FilteredView().FilteredCount(), 2);
        ran = WhenModal([](QWidget* m) {
            auto* box = qobject_cast<QInputDialog*>(m);
            box->setTextValue(QStringLiteral("5"));
            box->accept();
        });
        item->trigger();
        QVERIFY(*ran);
        QCOMPARE(w->Session().TelegramList().Count(), 10);
        QCOMPARE(item->text(), QStringLiteral("max.Buffer :10"));
        QCOMPARE(w->Session().FilteredView().FilteredCount(), 1);
        QCOMPARE(Cell(*w, 0), QStringLiteral("2"));
        QCOMPARE(Cell(*w, 1), QString());
    }
};

QTEST_MAIN(FilterCommandsTest)
#include "filter_commands_test.moc"
