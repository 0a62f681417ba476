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
        // The list shows the trigger telegram selected; the controls are idle again.
        QCOMPARE(SelectedEntry(*w), 2);
        QCOMPARE(w->Strip()->BtnStart->text(), QStringLiteral("Start"));
        QVERIFY(Act(*w, "MenuTrigger")->isEnabled());
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
        // Cancel leaves the clipboard as it was.
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        Copy(nullptr, nullptr, false);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
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
        QCOMPARE(item->text(), QStringLiteral("max.Buffer :10000"));
        // The answer goes to the session; the caption and the list follow.
        ran = WhenModal([](QWidget* m) {
            auto* box = qobject_cast<QInputDialog*>(m);
            box->setTextValue(QStringLiteral("5"));
            box->accept();
        });
        item->trigger();
        QVERIFY(*ran);
        QCOMPARE(item->text(), QStringLiteral("max.Buffer :10"));
        QCOMPARE(Cell(*w, 9), QStringLiteral("9"));
        QCOMPARE(Cell(*w, 10), QString());
    }
};

QTEST_MAIN(FilterCommandsTest)
#include "filter_commands_test.moc"
