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
    MenuItem Item;
    const char* Name;
    QKeyCombination Key;
    bool Checkable;
};

constexpr QKeyCombination kNone{};

const TItemRow kItems[] = {
    {0, "Save", MenuItem::Save, "MenuSave", kNone, false},
    {0, "Read", MenuItem::Read, "MenuRead", kNone, false},
    {0, "Export...", MenuItem::Export, "MenuExport", kNone, false},
    {0, "Import...", MenuItem::Import, "MenuImport", kNone, false},
    {0, nullptr, MenuItem::Save, nullptr, kNone, false},
    {0, "Copy", MenuItem::Copy, "MenuCopy", Qt::CTRL | Qt::Key_C, false},
    {0, "Clear", MenuItem::Clear, "MenuClear", Qt::CTRL | Qt::Key_Delete, false},
    {0, nullptr, MenuItem::Save, nullptr, kNone, false},
    {0, "Line monitor Info", MenuItem::LineMonitorInfo, "MenuLineMonitorInfo", kNone, false},
    {0, nullptr, MenuItem::Save, nullptr, kNone, false},
    {0, "Quit", MenuItem::Quit, "MenuQuit", kNone, false},
    {1, "Hex Display", MenuItem::HexDisplay, "MenuHexDisplay", Qt::Key_F12, true},
    {1, "Font", MenuItem::Font, "MenuFont", kNone, false},
    {1, "L7 decoder", MenuItem::L7Decoder, "MenuL7decoder", kNone, true},
    {1, "max.Buffer :", MenuItem::Buffer, "MenuBuffer", kNone, false},
    {1, "Raw format settings", MenuItem::RawFormat, "MenuRawFormat", kNone, false},
    {1, "Line monitor settings", MenuItem::LineMonitor, "MenuLineMonitor", kNone, false},
    {1, "Detect line...", MenuItem::DetectLine, "MenuDetectLine", kNone, false},
    {1, "Clear before Start", MenuItem::ClearBeforeStart, "MenuClearBeforeStart", kNone, true},
    {1, nullptr, MenuItem::Save, nullptr, kNone, false},
    {1, "Time", MenuItem::TimeColumn, "MenuTimeColumn", kNone, true},
    {1, "Response", MenuItem::ResponseColumn, "MenuResponseColumn", kNone, true},
    {2, "Set filter", MenuItem::SetFilter, "MenuSetFilter", Qt::Key_F2, false},
    {2, "Filter display", MenuItem::FilterDisplay, "MenuFilterDisplay", Qt::Key_F3, true},
    {2, "Search for filter", MenuItem::Search, "MenuSearch", Qt::CTRL | Qt::Key_F, false},
    {2, "Trigger ", MenuItem::Trigger, "MenuTrigger", Qt::Key_F4, true},
    {2, "Set exclude filter", MenuItem::ExcludeFilter, "MenuExcludeFilter", Qt::Key_F5, false},
    {3, "Start/Stop", MenuItem::StartStop, "PopupStartStop", Qt::Key_F9, false},
    {3, "Mark", MenuItem::Mark, "PopupMark", Qt::Key_M, false},
    {3, "Show Frame", MenuItem::ShowFrame, "PopupShowFrame", kNone, false},
    {3, "Go to partner", MenuItem::Partner, "PopupPartner", Qt::Key_P, false},
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
        items_[static_cast<int>(row.Item)] = a;
        a->setShortcut(row.Key == kNone ? QKeySequence() : QKeySequence(row.Key));
        a->setCheckable(row.Checkable);
        // The popup's own items also act by shortcut, so they belong to the window as well.
        if (row.Menu == 3)
            window.addAction(a);
        if (row.Item == MenuItem::StartStop)
            popup_->addAction(Item(MenuItem::Clear));
    }
}

void TMainMenus::SetMenuEnabled(QMenu* menu, bool enabled, bool lineMonitorInfo) {
    menu->menuAction()->setEnabled(enabled);
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator())
            a->setEnabled(enabled && (a != Item(MenuItem::LineMonitorInfo) || lineMonitorInfo));
    }
}

void TMainMenus::ShowIdle(bool idle, const TMonitorSession& session) {
    for (QMenu* menu : menus_)
        SetMenuEnabled(menu, idle, session.LineMonitorInfoAllowed());
    for (MenuItem item : {MenuItem::Clear, MenuItem::Mark, MenuItem::ShowFrame, MenuItem::Partner})
        Item(item)->setEnabled(idle);
    Item(MenuItem::StartStop)->setEnabled(true);
}

void TMainMenus::ShowCommands(const TMonitorSession& session) {
    Item(MenuItem::FilterDisplay)->setChecked(session.FilteredView().FilterDisplay());
    Item(MenuItem::Trigger)->setText(QString::fromStdString(session.Trigger().MenuCaption()));
    Item(MenuItem::Trigger)->setChecked(session.Trigger().MenuChecked());
    Item(MenuItem::Buffer)->setText(QString::fromStdString(session.BufferCaption()));
    Item(MenuItem::HexDisplay)->setChecked(session.HexDisplay());
    Item(MenuItem::L7Decoder)->setChecked(session.Decoder().Checked());
    Item(MenuItem::LineMonitorInfo)
        ->setEnabled(session.LineMonitorInfoAllowed() && menus_[0]->menuAction()->isEnabled());
}

} // namespace protmon
