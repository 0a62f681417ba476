// "Settings > Detect line..." on a pty that carries TRX5 telegrams: Cancel while it listens ends
// the detection at once and leaves settings and port as they were; OK applies the verdict to the
// baud box and the protocol buttons.
#include "capture/pty_pair.h"
#include "capture/trx5_length.h"
#include "ui/control_strip.h"
#include "ui/detect_line_dialog.h"
#include "ui/main_window.h"
#include "ui/test_host.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

using namespace protmon;

namespace {

// Read requests of service 0 with changing fields, as a master polling several parameters.
class TTrx5Feeder {
public:
    explicit TTrx5Feeder(test::TPtyPair& pty) : pty_(pty), thread_([this] { Run(); }) {}
    ~TTrx5Feeder() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run() {
        for (std::uint8_t n = 0; !stop_; ++n) {
            std::vector<std::uint8_t> t = {0x10, 0x00, n, static_cast<std::uint8_t>(n * 7), 0x80};
            t.push_back(Trx5Bcc(ByteView(t.data(), t.size()), t.size()));
            pty_.WriteNonBlocking(t);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    test::TPtyPair& pty_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string PortSettings(const std::string& path) {
    termios t{};
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const bool ok = fd >= 0 && ::tcgetattr(fd, &t) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok ? std::to_string(t.c_iflag) + "/" + std::to_string(t.c_cflag) : "unreadable";
}

} // namespace

class DetectLineDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TMyMonitor> w;
    TTestHost host;
    std::unique_ptr<test::TPtyPair> pty;

    // Opens the dialog from the menu; `act` runs on every event round while it is up.
    void WithDialog(const std::function<void(TDetectLineDialog&)>& act) {
        QTimer poll;
        connect(&poll, &QTimer::timeout, w.get(), [&] {
            if (auto* d = w->findChild<TDetectLineDialog*>(); d != nullptr && d->isVisible())
                act(*d);
        });
        poll.start(5);
        w->findChild<QAction*>(QStringLiteral("MenuDetectLine"))->trigger();
    }

private slots:
    void init() {
        host = TTestHost{};
        pty = std::make_unique<test::TPtyPair>();
        QVERIFY(pty->Ok());
        w = std::make_unique<TMyMonitor>();
        w->SetHost(&host);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->Strip()->ComBox->setEditText(QString::fromStdString(pty->SlavePath()));
        w->Strip()->BtnDin->click();
        w->Strip()->BaudBox->setCurrentIndex(3); // 9600
        QCOMPARE(w->Session().Settings().Selection, Protocol::Din66019II);
    }
    void cleanup() {
        w.reset();
        pty.reset();
    }

    void CancelStopsAtOnceAndChangesNothing() {
        TTrx5Feeder feeder(*pty);
        const std::string before = PortSettings(pty->SlavePath());
        QElapsedTimer clock;
        qint64 cancelledAt = -1;
        clock.start();
        WithDialog([&](TDetectLineDialog& d) {
            // Cancel once it listens, before it could have found anything.
            if (d.Running() && cancelledAt < 0) {
                cancelledAt = clock.elapsed();
                d.BtnCancel->click();
            }
        });
        QVERIFY(cancelledAt >= 0);
        QVERIFY2(clock.elapsed() - cancelledAt < 500, "Cancel did not stop the detection at once");
        QCOMPARE(w->Session().Settings().BaudIndex, 3);
        QCOMPARE(w->Session().Settings().Selection, Protocol::Din66019II);
        QCOMPARE(w->Strip()->BaudBox->currentIndex(), 3);
        QVERIFY(w->Strip()->BtnDin->isChecked());
        QCOMPARE(PortSettings(pty->SlavePath()), before);
        // The port is free again.
        TSerialCom port;
        QCOMPARE(port.Open(pty->SlavePath(), 9600, 8, 'E', 0), static_cast<int>(kPortOk));
    }

    void OkAppliesTheVerdict() {
        TTrx5Feeder feeder(*pty);
        QString verdict;
        WithDialog([&](TDetectLineDialog& d) {
            if (!d.Running() && d.BtnOk->isEnabled()) {
                verdict = d.LabelVerdict->text();
                QVERIFY(d.Table->rowCount() > 0);
                QCOMPARE(d.Table->horizontalHeaderItem(0)->text(), QStringLiteral("Setting"));
                d.BtnOk->click();
            }
        });
        QVERIFY2(verdict.startsWith("38400 Baud, 8E1, TRX5: "), qPrintable(verdict));
        QCOMPARE(w->Session().Settings().BaudIndex, 5);
        QCOMPARE(w->Session().Settings().Selection, Protocol::Trx5);
        QCOMPARE(w->Strip()->BaudBox->currentText(), QStringLiteral("38400 Baud"));
        QVERIFY(w->Strip()->BtnTrx5->isChecked());
    }
};

QTEST_MAIN(DetectLineDialogTest)
#include "detect_line_dialog_test.moc"
