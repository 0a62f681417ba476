#pragma once

#include "view/row_window_details.h"

#include <string>

namespace protmon {

// What a session tells the views that show it. Every method has a do-nothing default, so a view
// (or a test) overrides only what it shows; a session without a view runs all the same.
class ISessionObserver {
public:
    virtual ~ISessionObserver() = default;
    // The rows of the row window changed: repaint the list.
    virtual void RowsChanged() {}
    // Rows written by the live display of one poll tick; a view may repaint less often.
    virtual void LiveRowsChanged() {}
    virtual void TitleChanged(const std::string& /*title*/) {}
    // Idle (true) or capturing: enabling of commands and controls; the settings are shown anew.
    virtual void UiStateChanged(bool /*idle*/) {}
    // Protocol selection, check boxes or baud index changed by a rule.
    virtual void SettingsChanged() {}
    // Captions and check marks of the menu items (filter display, trigger, buffer, decoder, hex
    // display, "Line monitor Info") may have changed.
    virtual void CommandsChanged() {}
    // A capture was asked for and is being set up or runs (true), or none is (false).
    virtual void CaptureActive(bool /*active*/) {}
    // The receive-error label: "RxErrors:" and the count, or empty.
    virtual void RxErrorsChanged(const std::string& /*text*/) {}
    // The four status-bar panels.
    virtual void PanelsChanged(const TDetailPanels& /*panels*/) {}
    // Select row `row` of the list (-1: no row selected).
    virtual void SelectRow(int /*row*/) {}
    // Give the list the input focus, so arrow keys and Space act on it.
    virtual void FocusList() {}
    // The selected row of the list, -1 when none.
    virtual int SelectedRow() const { return -1; }
    // RAW was selected: the user chooses its line format.
    virtual void RawFormatNeeded() {}
    // "Monitor" was switched on: the user reviews the line monitor's settings.
    virtual void LineMonitorSettingsNeeded() {}
    // The transaction table was built anew (file, clear, stop, settings): pairs and response
    // times may differ for rows already shown.
    virtual void TransactionsChanged() {}
    // A short note for the status bar that a command could not do what was asked ("no reply").
    virtual void StatusNote(const std::string& /*text*/) {}
};

} // namespace protmon
