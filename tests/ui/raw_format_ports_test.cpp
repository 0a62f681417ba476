#include "ui/control_strip.h"
#include "ui/main_window.h"
#include "ui/raw_format_dialog.h"
#include "ui/test_host.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace protmon;

class RawFormatPortsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TMyMonitor> w;
    TTestHost host;

    // Runs `inDialog` once the raw format dialog is up; returns whether it was shown.
    bool WithDialog(const std::function<void(TSetRawFormat&)>& inDialog,
                    const std::function<void()>& open) {
        bool shown = false;
        QTimer::singleShot(0, w.get(), [&] {
            TSetRawFormat& d = *w->RawFormatDialog();
            shown = d.isVisible();
            if (shown)
                inDialog(d);
        });
        open();
        // A dialog that did not open leaves the timer for the next event round.
        QCoreApplication::processEvents();
        return shown;
    }

private slots:
    void init() {
        host = TTestHost{};
        w = std::make_unique<TMyMonitor>();
        w->SetHost(&host);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); }

    void DialogEditsTheSettings() {
        TSetRawFormat& d = *w->RawFormatDialog();
        QCOMPARE(d.windowTitle(), QStringLiteral("Select format for RAW data"));
        QVERIFY(d.RBEven->isChecked());
        QVERIFY(d.RB8Bits->isChecked());
        QAction* menu = w->findChild<QAction*>(QStringLiteral("MenuRawFormat"));
        QVERIFY(WithDialog(
            [](TSetRawFormat& dlg) {
                dlg.RBNone->click();
                dlg.RB7Bits->click();
                dlg.findChild<QPushButton*>(QStringLiteral("BtnOk"))->click();
            },
            [&] { menu->trigger(); }));
        QCOMPARE(w->Session().Settings().RawFormat.Parity, ParityChoice::None);
        QCOMPARE(w->Session().Settings().RawFormat.DataBits, 7);
        // Escape closes it; the buttons keep what was chosen.
        QVERIFY(WithDialog(
            [](TSetRawFormat& dlg) {
                dlg.RBOdd->click();
                QTest::keyClick(&dlg, Qt::Key_Escape);
            },
            [&] { menu->trigger(); }));
        QCOMPARE(w->Session().Settings().RawFormat.Parity, ParityChoice::Odd);
        QVERIFY(!w->RawFormatDialog()->isVisible());
    }

    void MenuDoesNothingWhileMonitorIsOn() {
        w->Session().SetMonitorBox(true);
        QAction* menu = w->findChild<QAction*>(QStringLiteral("MenuRawFormat"));
        QVERIFY(!WithDialog([](TSetRawFormat& dlg) { dlg.reject(); }, [&] { menu->trigger(); }));
    }

    void PortBoxListsDevicesOnFocusAndStaysEditable() {
        QTemporaryDir sys;
        QVERIFY(sys.isValid());
        QDir root(sys.path());
        for (const char* n : {"ttyUSB1", "ttyS0", "tty5"})
            QVERIFY(root.mkpath(QStringLiteral("%1/device").arg(QLatin1String(n))));
        QVERIFY(root.mkpath(QStringLiteral("ttyS0/../console")));
        w->Session().SetSysfsTtyRoot(sys.path().toStdString());
        QComboBox* box = w->Strip()->ComBox;
        QVERIFY(box->isEditable());
        box->setEditText(QString());
        box->setFocus();
        QTRY_COMPARE(box->count(), 3);
        QCOMPARE(box->currentText(), QStringLiteral("/dev/tty5")); // an empty box takes the first
        QCOMPARE(box->itemText(0), QStringLiteral("/dev/tty5"));
        QCOMPARE(box->itemText(2), QStringLiteral("/dev/ttyUSB1"));
        // A typed path (a pty) survives the next refresh.
        box->setEditText(QStringLiteral("/dev/pts/7"));
        QVERIFY(root.mkpath(QStringLiteral("ttyACM0/device")));
        w->Strip()->BaudBox->setFocus();
        box->setFocus();
        QTRY_COMPARE(box->count(), 4);
        QCOMPARE(box->currentText(), QStringLiteral("/dev/pts/7"));
    }

    void NoRefreshInUdpMode() {
        w = std::make_unique<TMyMonitor>(QStringList{QStringLiteral("localhost:4000")});
        w->SetHost(&host);
        w->Session().SetSysfsTtyRoot("/nonexistent");
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->Strip()->ComBox->setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(w->Strip()->ComBox->count(), 1);
        QCOMPARE(w->Strip()->ComBox->currentText(), QStringLiteral("localhost"));
    }
};

QTEST_MAIN(RawFormatPortsTest)
#include "raw_format_ports_test.moc"
