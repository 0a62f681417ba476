#pragma once

#include "capture/capture_test_support.h"
#include "capture/pty_pair.h"
#include "ui/control_strip.h"
#include "ui/main_window.h"
#include "ui/telegram_list_view.h"
#include "ui/test_host.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

namespace protmon::uitest {

inline QAction* Act(TMyMonitor& w, const char* name) {
    auto* a = w.findChild<QAction*>(QString::fromLatin1(name));
    if (a == nullptr)
        qFatal("no action %s", name);
    return a;
}

// Read requests of service 2 from IDs 1, 2, 3, ...: position p holds ID p + 1; then shown.
// Channel 0 makes them line-monitor entries, which show details.
inline void AddTelegrams(TMyMonitor& w, int n, std::uint16_t channel = kNoChannel) {
    std::vector<TTelEntry> entries(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].Data[0] = static_cast<std::uint8_t>(1 + i % 200);
        entries[i].Data[1] = 0x02;
        entries[i].Channel = channel;
    }
    w.Session().AddEntries(entries);
}

// Read requests (service 16) from the given IDs, as they pass on the line.
inline std::vector<std::uint8_t> Requests(int first, int count) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        const auto t = test::Telegram({static_cast<std::uint8_t>(first + i), 0x10});
        bytes.insert(bytes.end(), t.begin(), t.end());
    }
    return bytes;
}

inline QString Cell(TMyMonitor& w, int row, int column = 0) {
    return w.ListView()->model()->index(row, column).data().toString();
}

// A fresh window for every test, with a recording host and a pty standing in for the line.
class TWindowFixture {
protected:
    void CreateWindow() {
        host = TTestHost{};
        pty = std::make_unique<test::TPtyPair>();
        QVERIFY(pty->Ok());
        w = std::make_unique<TMyMonitor>();
        w->SetHost(&host);
    }
    void DestroyWindow() {
        w.reset();
        pty.reset();
    }
    void Show() {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    // Start on the pty.
    void Start() {
        w->Strip()->ComBox->setEditText(QString::fromStdString(pty->SlavePath()));
        QTest::mouseClick(w->Strip()->BtnStart, Qt::LeftButton);
        QVERIFY(w->Capturing());
    }

    std::unique_ptr<TMyMonitor> w;
    TTestHost host;
    std::unique_ptr<test::TPtyPair> pty;
};

} // namespace protmon::uitest
