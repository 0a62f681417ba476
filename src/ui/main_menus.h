#pragma once

#include <QString>

class QAction;
class QMainWindow;
class QMenu;

namespace protmon {

class TMonitorSession;

// Every item of the standard menus and the context menu: a misspelt item is a compile error
// rather than a connection that never fires.
enum class MenuItem {
    Save,
    Read,
    Export,
    Import,
    Copy,
    Clear,
    LineMonitorInfo,
    Quit,
    HexDisplay,
    Font,
    L7Decoder,
    Buffer,
    RawFormat,
    LineMonitor,
    DetectLine,
    ClearBeforeStart,
    TimeColumn,
    ResponseColumn,
    SetFilter,
    FilterDisplay,
    Search,
    Trigger,
    ExcludeFilter,
    StartStop,
    Mark,
    ShowFrame,
    Partner,
};
inline constexpr int kMenuItemCount = static_cast<int>(MenuItem::Partner) + 1;

// The main window's menus "File", "Settings", "Filter" and its context menu, built from a table
// (the items keep object names for the tests). Also the enabling rules and the captions and
// check marks that follow the session.
class TMainMenus {
public:
    explicit TMainMenus(QMainWindow& window);
    QAction* Item(MenuItem item) const { return items_[static_cast<int>(item)]; }
    QMenu* Popup() const { return popup_; }
    // Idle: every menu and its items (shortcuts follow their items); capturing: none of them,
    // nor "Clear", "Mark" and "Show Frame" of the context menu. "Start/Stop" always.
    void ShowIdle(bool idle, const TMonitorSession& session);
    void ShowCommands(const TMonitorSession& session);

private:
    void SetMenuEnabled(QMenu* menu, bool enabled, bool lineMonitorInfo);

    QMainWindow& window_;
    QMenu* menus_[3] = {};
    QMenu* popup_ = nullptr;
    QAction* items_[kMenuItemCount] = {};
};

} // namespace protmon
