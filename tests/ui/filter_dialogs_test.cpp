#include "filter/filter_criteria.h"
#include "ui/copy_dialog.h"
#include "ui/filter_dialog.h"
#include "ui/trigger_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace protmon;

namespace {

// Every text field is enabled exactly while its "All" box is unchecked.
void CheckFieldEnabling(const Tfilter& d) {
    for (int f = 0; f < kValueFieldCount; ++f) {
        const auto field = static_cast<ValueField>(f);
        QCOMPARE(d.Field(field)->isEnabled(), !d.AllBox(field)->isChecked());
    }
}

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

class FilterDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void FilterDialogStartsReset() {
        TFilterCriteria c;
        Tfilter d(c, QStringLiteral("Filter settings"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Filter settings"));
        for (QComboBox* box : {d.IDHigh, d.IDLow, d.ReqRsp, d.ReadWrite, d.Service, d.Acknowledge})
            QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(d.IDHigh->count(), 17);
        QCOMPARE(d.Service->count(), 32);
        QCOMPARE(d.Acknowledge->itemText(1), QStringLiteral("0 "));
        QCOMPARE(d.Acknowledge->itemText(17), QStringLiteral(">0"));
        QCOMPARE(Items(d.ReqRsp), (QStringList{"All", "Req", "Rsp"}));
        QCOMPARE(d.Address->text(), QStringLiteral("0000h"));
        QCOMPARE(d.ParaData->text(), QStringLiteral("00000000h"));
        QCOMPARE(d.PData2->text(), QStringLiteral("00000000h"));
        QCOMPARE(d.PData3->text(), QStringLiteral("0000h"));
        QVERIFY(d.cbSlaveSelect->isChecked());
        QVERIFY(!d.cbRxErrors->isChecked());
        CheckFieldEnabling(d);
        QVERIFY(!d.Address->isEnabled());
        QCOMPARE(d.Memo1->toPlainText(),
                 QStringLiteral("NOTE:To pass the filter, every field\nhere must fit to a single "
                                "telegram.\nSelect ALL to disable a field from checking."));
        QStringList groups;
        for (const QGroupBox* g : d.findChildren<QGroupBox*>())
            groups << g->title();
        QVERIFY(groups.contains(QStringLiteral("ProcessData 1-4   or   Scope CH A-D")));
        QVERIFY(groups.contains(QStringLiteral("ID High/Low")));
        QVERIFY(groups.contains(QStringLiteral("ParameterData")));
    }

    void AllBoxesEnableTheirFields() {
        TFilterCriteria c;
        Tfilter d(c, QStringLiteral("Filter settings"));
        for (int f = 0; f < kValueFieldCount; ++f) {
            const auto field = static_cast<ValueField>(f);
            d.AllBox(field)->click();
            QVERIFY(d.Field(field)->isEnabled());
            QVERIFY(!c.Values[field].All);
            CheckFieldEnabling(d);
        }
        d.Address->setText(QStringLiteral("2000h"));
        QCOMPARE(c.Values[kFieldAddress].Text, std::string("2000h"));
        d.AdrAll->click();
        QVERIFY(!d.Address->isEnabled());
        QVERIFY(c.Values[kFieldAddress].All);
        QCOMPARE(d.Address->text(), QStringLiteral("2000h"));
        CheckFieldEnabling(d);
    }

    void ReceiveErrorsResetsTheRest() {
        TFilterCriteria c;
        Tfilter d(c, QStringLiteral("Filter settings"));
        d.IDHigh->setCurrentIndex(4);
        d.Service->setCurrentIndex(3);
        d.Acknowledge->setCurrentIndex(17);
        d.PD1all->click();
        d.PData1->setText(QStringLiteral("12"));
        d.cbSlaveSelect->click();
        QCOMPARE(c.IDHigh, 4);
        QCOMPARE(c.Acknowledge, 17);
        QVERIFY(!c.SlaveSelect);

        d.cbRxErrors->click();
        QVERIFY(c.RxErrors);
        QVERIFY(d.cbRxErrors->isChecked());
        for (QComboBox* box : {d.IDHigh, d.Service, d.Acknowledge})
            QCOMPARE(box->currentIndex(), 0);
        QVERIFY(d.PD1all->isChecked());
        QVERIFY(!d.PData1->isEnabled());
        QCOMPARE(d.PData1->text(), QStringLiteral("12")); // texts stay as typed
        QVERIFY(d.cbSlaveSelect->isChecked());
        QVERIFY(c.IsNeutral() == false);

        // Unchecking changes nothing else.
        d.IDLow->setCurrentIndex(2);
        d.cbRxErrors->click();
        QVERIFY(!c.RxErrors);
        QCOMPARE(d.IDLow->currentIndex(), 2);
        QCOMPARE(c.IDLow, 2);
    }

    void ResetFilterAndFilterActiveOnClosing() {
        TFilterCriteria c;
        Tfilter d(c, QStringLiteral("Display exclude filter settings"));
        d.show();
        d.ReadWrite->setCurrentIndex(2);
        QVERIFY(!c.FilterActive()); // computed only when the dialog loses activation
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QVERIFY(c.FilterActive());
        QCOMPARE(c.ReadWrite, 2); // Esc keeps what was set

        d.show();
        d.cbRxErrors->click();
        d.ResetFilter->click();
        QVERIFY(!c.RxErrors);
        QVERIFY(!d.cbRxErrors->isChecked());
        QCOMPARE(d.ReadWrite->currentIndex(), 0);
        QVERIFY(!c.FilterActive()); // the reset clears it at once
        d.cbSlaveSelect->click();
        d.BtnOk->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(c.FilterActive());
        d.show();
        d.cbSlaveSelect->click();
        d.BtnOk->click();
        QVERIFY(!c.FilterActive());
    }

    void DialogShowsCriteriaChangedElsewhere() {
        TFilterCriteria c;
        Tfilter d(c, QStringLiteral("Filter settings"));
        c.Service = 5;
        c.Values[kFieldPD4].All = false;
        d.show();
        QCOMPARE(d.Service->currentIndex(), 5);
        QVERIFY(d.PData4->isEnabled());
        d.hide();
    }

    void TriggerFieldFollowsActivated() {
        TfrmTrigger d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Trigger settings"));
        QCOMPARE(d.GroupDelay->title(), QStringLiteral("Telegrams to record after triggering:"));
        QVERIFY(d.RBTriggerOff->isChecked());
        QVERIFY(!d.EditDelay->isEnabled());
        QCOMPARE(d.EditDelay->text(), QStringLiteral("0"));
        d.RBTriggerOn->click();
        QVERIFY(d.EditDelay->isEnabled());
        QVERIFY(d.State().Activated);
        d.RBTriggerOff->click();
        QVERIFY(!d.EditDelay->isEnabled());
        QVERIFY(!d.State().Activated);
    }

    void TriggerSpinStepsTheTypedNumber() {
        TfrmTrigger d;
        d.RBTriggerOn->click();
        d.SetDelayText("10h"); // read as 16
        d.EditDelay->stepBy(1);
        QCOMPARE(d.EditDelay->text(), QStringLiteral("17"));
        d.SetDelayText("1");
        d.EditDelay->stepBy(-3);
        QCOMPARE(d.EditDelay->text(), QStringLiteral("0"));
        // Typing is not limited or corrected.
        d.SetDelayText("");
        QTest::keyClicks(d.EditDelay, QStringLiteral("-7x"));
        QCOMPARE(d.State().DelayText, std::string("-7x"));
    }

    void CopyRadioButtonsClearEachOther() {
        TFrmCopy d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Copy telegrams to clipboard"));
        TCopyDialogState s;
        QVERIFY(PrepareCopyDialog(s, 3, 2));
        d.SetState(s);
        QVERIFY(d.RBAllFiltered->isEnabled());
        QVERIFY(d.RBAllFiltered->isChecked());
        QVERIFY(!d.RBRange->isChecked());
        QCOMPARE(d.EditTo->text(), QStringLiteral("2"));
        d.RBRange->click();
        QVERIFY(d.RBRange->isChecked());
        QVERIFY(!d.RBAllFiltered->isChecked());
        d.RBRange->click(); // a second click keeps it chosen
        QVERIFY(d.RBRange->isChecked());
        d.EditFrom->setText(QStringLiteral("1"));
        d.RBAllFiltered->click();
        QVERIFY(!d.RBRange->isChecked());
        QVERIFY(d.State().AllFilteredSelected);
        QCOMPARE(d.State().FromText, std::string("1"));

        QVERIFY(PrepareCopyDialog(s, 5000, -1));
        d.SetState(s);
        QVERIFY(!d.RBAllFiltered->isEnabled());
        QVERIFY(d.RBRange->isChecked());
        QCOMPARE(d.EditFrom->text(), QStringLiteral("0"));
        QCOMPARE(d.EditTo->text(), QStringLiteral("999"));
    }
};

QTEST_MAIN(FilterDialogsTest)
#include "filter_dialogs_test.moc"
