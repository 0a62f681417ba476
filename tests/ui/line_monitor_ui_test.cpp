#include "model/line_monitor_settings.h"
#include "support/lmsim_process.h"
#include "ui/control_strip.h"
#include "ui/line_monitor_dialog.h"
#include "ui/main_window.h"
#include "ui/telegram_list_view.h"
#include "ui/test_host.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace protmon;

class LineMonitorUiTest : public QObject {
    Q_OBJECT

private slots:
    void DialogViewsAndPresets() {
        TLineMonitorSettings s;
        TSetFormat dialog(s);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select settings for line monitor"));
        // Shown with the default gap filled in; standard view first.
        QCOMPARE(s.EndOfTelegramText, std::string("1302"));
        QVERIFY(dialog.ProtocolBox->isVisible());
        QVERIFY(!dialog.HandshakeBox->isVisible());
        QCOMPARE(dialog.BtnView->text(), QStringLiteral("Advanced >>"));
        QCOMPARE(dialog.BaudBox->currentText(), QStringLiteral("38,4 KBaud"));
        QCOMPARE(dialog.TimeStampBox->currentText(), QStringLiteral("128 us"));

        dialog.BaudBox->setCurrentIndex(3);
        QCOMPARE(s.BaudIndex, 3);
        QCOMPARE(s.EndOfTelegramText, std::string("5208"));
        dialog.ProtocolBox->setCurrentIndex(1);
        QCOMPARE(s.HandshakeMode, Handshake::SoftwareHalfDuplex);
        QCOMPARE(dialog.DataBitsBox->currentText(), QStringLiteral("7"));

        QTest::mouseClick(dialog.BtnView, Qt::LeftButton);
        QCOMPARE(s.ViewFlag, 1);
        QVERIFY(!dialog.ProtocolBox->isVisible());
        QVERIFY(dialog.HandshakeBox->isVisible());
        QVERIFY(dialog.EndOfTelegramEdit->isVisible());
        QCOMPARE(dialog.HandshakeBox->currentText(), QStringLiteral("Software, half duplex "));
        dialog.HandshakeBox->setCurrentIndex(0); // the gap does not apply to the hardware lines
        QVERIFY(!dialog.EndOfTelegramEdit->isVisible());
        dialog.ParityBox->setCurrentIndex(2);
        QCOMPARE(s.Parity, ParityChoice::None);
        QCOMPARE(dialog.BtnView->text(), QStringLiteral("<< Standard"));

        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        dialog.show();
        QTest::mouseClick(dialog.BtnOk, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void UdpModeCaptureShowsChannelAndTimeStamp() {
        testing::LmsimProcess box(PROTMON_BINARY_DIR "/lmsim",
                                  {"--udp", "0", "--rate", "2000", "--bad-bcc-permille", "0"});
        QVERIFY(box.Port() > 0);
        TTestHost host;
        TMyMonitor w(QStringList{QStringLiteral("127.0.0.1:%1").arg(box.Port())});
        w.SetHost(&host);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.Session().UdpArgument() != nullptr);
        QVERIFY(!w.Strip()->CBMonitor->isChecked());

        QTest::mouseClick(w.Strip()->BtnStart, Qt::LeftButton);
        QVERIFY2(w.Capturing(), host.errors.empty() ? "" : host.errors[0].c_str());
        QVERIFY(w.Strip()->CBMonitor->isChecked());
        QVERIFY(!w.LineMonitorDialog()->isVisible()); // Start goes on with the settings as they are
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().TelegramList().Count() >= 20, 5000);
        QTest::mouseClick(w.Strip()->BtnStart, Qt::LeftButton);
        QVERIFY(!w.Capturing());

        w.ListView()->SelectRow(0);
        w.ShowDetails();
        QVERIFY2(w.PanelText(1).startsWith(QStringLiteral("Channel:")), qPrintable(w.PanelText(1)));
        QVERIFY2(w.PanelText(2).startsWith(QStringLiteral("TimeStamp:")) &&
                     w.PanelText(2).endsWith(QStringLiteral("*128us")),
                 qPrintable(w.PanelText(2)));

        // Only the first Start switches "Monitor" on.
        QTest::mouseClick(w.Strip()->CBMonitor, Qt::LeftButton, {},
                          QPoint(6, w.Strip()->CBMonitor->height() / 2));
        QVERIFY(!w.Session().Settings().Monitor);
        w.LineMonitorDialog()->reject();
        QTest::mouseClick(w.Strip()->BtnStart, Qt::LeftButton);
        QVERIFY(!w.Strip()->CBMonitor->isChecked());
        if (w.Capturing())
            QTest::mouseClick(w.Strip()->BtnStart, Qt::LeftButton);
        QVERIFY(host.errors.empty());
    }

    // The window's dialog edits a copy; every change reaches the session, which a capture start
    // and a saved file take their settings from.
    void WindowDialogEditsReachTheSession() {
        TTestHost host;
        TMyMonitor w;
        w.SetHost(&host);
        w.findChild<QAction*>(QStringLiteral("MenuLineMonitor"))->trigger();
        QVERIFY(w.LineMonitorDialog()->isVisible());
        QCOMPARE(w.Session().Settings().LineMonitor.EndOfTelegramText, std::string("1302"));
        w.LineMonitorDialog()->BaudBox->setCurrentIndex(3);
        QCOMPARE(w.Session().Settings().LineMonitor.BaudIndex, 3);
        QCOMPARE(w.Session().Settings().LineMonitor.EndOfTelegramText, std::string("5208"));
        QTest::mouseClick(w.LineMonitorDialog()->BtnView, Qt::LeftButton);
        QCOMPARE(w.Session().Settings().LineMonitor.ViewFlag, 1);
        w.LineMonitorDialog()->reject();
    }

    void LineMonitorInfoOverUdp() {
        testing::LmsimProcess box(PROTMON_BINARY_DIR "/lmsim",
                                  {"--udp", "0", "--version-text", "UI-TEST 0.1"});
        TTestHost host;
        TMyMonitor w(QStringList{QStringLiteral("127.0.0.1:%1").arg(box.Port())});
        w.SetHost(&host);
        w.MenuLineMonitorInfoClick();
        QCOMPARE(host.infos, std::vector<std::string>{"Line monitor version :\nUI-TEST 0.1"});
    }
};

QTEST_MAIN(LineMonitorUiTest)
#include "line_monitor_ui_test.moc"
