#pragma once

#include <QString>

class QAction;
class QMainWindow;
class QMenu;

namespace protmon {

class TMonitorSession;

// The main window's menus "File", "Settings", "Filter" and its context menu, built from a table;
// items are found by their object names. Also the enabling rules and the captions and check
// marks that follow the session.
class TMainMenus {
public:
    explicit TMainMenus(QMainWindow& window);
    QAction* Item(const char* name) const;
    QMenu* Popup() const { return popup_; }
    // Idle: every menu and its items (shortcuts follow their items); capturing: none of them,
    // nor "Clear", "Mark" and "Show Frame" of the context menu. "Start/Stop" always.
    void ShowIdle(bool idle, const TMonitorSession& session);
    void ShowCommands(TMonitorSession& session);

private:
    void SetMenuEnabled(QMenu* menu, bool enabled, bool lineMonitorInfo);

    QMainWindow& window_;
    QMenu* menus_[3] = {};
    QMenu* popup_ = nullptr;
};

} // namespace protmon
