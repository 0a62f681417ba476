#include "ui/main_menus.h"

#include "session/session.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace protmon {

namespace {

struct TItemRow {
    int Menu;            // 0 File, 1 Settings, 2 Filter, 3 context menu
    const char* Caption; // null: a separator
    const char* Name;
    QKeyCombination Key;
    bool Checkable;
};

constexpr QKeyCombination kNone{};

const TItemRow kItems[] = {
    {0, "Save", "MenuSave", kNone, false},
    {0, "Read", "MenuRead", kNone, false},
    {0, "Export...", "MenuExport", kNone, false},
    {0, "Import...", "MenuImport", kNone, false},
    {0, nullptr, nullptr, kNone, false},
    {0, "Copy", "MenuCopy", Qt::CTRL | Qt::Key_C, false},
    {0, "Clear", "MenuClear", Qt::CTRL | Qt::Key_Delete, false},
    {0, nullptr, nullptr, kNone, false},
    {0, "Line monitor Info", "MenuLineMonitorInfo", kNone, false},
    {0, nullptr, nullptr, kNone, false},
    {0, "Quit", "MenuQuit", kNone, false},
    {1, "Hex Display", "MenuHexDisplay", Qt::Key_F12, true},
    {1, "Font", "MenuFont", kNone, false},
    {1, "L7 decoder", "MenuL7decoder", kNone, true},
    {1, "max.Buffer :", "MenuBuffer", kNone, false},
    {1, "Raw format settings", "MenuRawFormat", kNone, false},
    {1, "Line monitor settings", "MenuLineMonitor", kNone, false},
    {1, "Clear before Start", "MenuClearBeforeStart", kNone, true},
    {1, nullptr, nullptr, kNone, false},
    {1, "Time", "MenuTimeColumn", kNone, true},
    {1, "Response", "MenuResponseColumn", kNone, true},
    {2, "Set filter", "MenuSetFilter", Qt::Key_F2, false},
    {2, "Filter display", "MenuFilterDisplay", Qt::Key_F3, true},
    {2, "Search for filter", "MenuSearch", Qt::CTRL | Qt::Key_F, false},
    {2, "Trigger ", "MenuTrigger", Qt::Key_F4, true},
    {2, "Set exclude filter", "MenuExcludeFilter", Qt::Key_F5, false},
    {3, "Start/Stop", "PopupStartStop", Qt::Key_F9, false},
    {3, "Mark", "PopupMark", Qt::Key_M, false},
    {3, "Show Frame", "PopupShowFrame", kNone, false},
    {3, "Go to partner", "PopupPartner", Qt::Key_P, false},
};

} // namespace

TMainMenus::TMainMenus(QMainWindow& window) : window_(window) {
    const char* titles[] = {"File", "Settings", "Filter"};
    for (int m = 0; m < 3; ++m)
        menus_[m] = window.menuBar()->addMenu(QString::fromLatin1(titles[m]));
    popup_ = new QMenu(&window);
    for (const TItemRow& row : kItems) {
        QMenu* menu = row.Menu < 3 ? menus_[row.Menu] : popup_;
        if (row.Caption == nullptr) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::fromLatin1(row.Caption));
        a->setObjectName(QString::fromLatin1(row.Name));
        a->setShortcut(row.Key == kNone ? QKeySequence() : QKeySequence(row.Key));
        a->setCheckable(row.Checkable);
        // The popup's own items also act by shortcut, so they belong to the window as well.
        if (row.Menu == 3)
            window.addAction(a);
        if (row.Name == std::string_view("PopupStartStop"))
            popup_->addAction(Item("MenuClear"));
    }
}

QAction* TMainMenus::Item(const char* name) const {
    return window_.findChild<QAction*>(QLatin1String(name));
}

void TMainMenus::SetMenuEnabled(QMenu* menu, bool enabled, bool lineMonitorInfo) {
    menu->menuAction()->setEnabled(enabled);
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator())
            a->setEnabled(enabled && (a->objectName() != QLatin1String("MenuLineMonitorInfo") ||
                                      lineMonitorInfo));
    }
}

void TMainMenus::ShowIdle(bool idle, const TMonitorSession& session) {
    for (QMenu* menu : menus_)
        SetMenuEnabled(menu, idle, session.LineMonitorInfoAllowed());
    for (const char* name : {"MenuClear", "PopupMark", "PopupShowFrame", "PopupPartner"})
        Item(name)->setEnabled(idle);
    Item("PopupStartStop")->setEnabled(true);
}

void TMainMenus::ShowCommands(TMonitorSession& session) {
    Item("MenuFilterDisplay")->setChecked(session.FilteredView().FilterDisplay());
    Item("MenuTrigger")->setText(QString::fromStdString(session.Trigger().MenuCaption()));
    Item("MenuTrigger")->setChecked(session.Trigger().MenuChecked());
    Item("MenuBuffer")->setText(QString::fromStdString(session.BufferCaption()));
    Item("MenuHexDisplay")->setChecked(session.HexDisplay());
    Item("MenuL7decoder")->setChecked(session.Decoder().Checked());
    Item("MenuLineMonitorInfo")
        ->setEnabled(session.LineMonitorInfoAllowed() && menus_[0]->menuAction()->isEnabled());
}

} // namespace protmon
