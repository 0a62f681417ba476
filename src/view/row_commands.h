#pragma once

#include "view/row_window.h"

namespace protmon {

// What the list widget asks of the rows it shows: scrolling, its height, keys and the wheel. The
// session answers with the row window it owns; a widget on a row window of its own (a test)
// passes TRowWindowCommands.
class IRowCommands {
public:
    virtual ~IRowCommands() = default;
    virtual void ScrollTo(int position) = 0;
    virtual void SetVisibleRows(int rows) = 0;
    virtual void RefreshRows() = 0;
    virtual TRowKeyResult KeyPressed(RowKey key, int focusedRow) = 0;
    virtual void Wheel(int notches, int linesPerNotch) = 0;
};

// The commands straight on a row window.
class TRowWindowCommands : public IRowCommands {
public:
    explicit TRowWindowCommands(TRowWindow& rows) : rows_(rows) {}
    void ScrollTo(int position) override { rows_.SetScrollPosition(position); }
    void SetVisibleRows(int rows) override { rows_.SetVisibleRows(rows); }
    void RefreshRows() override { rows_.RefreshRows(); }
    TRowKeyResult KeyPressed(RowKey key, int focusedRow) override {
        return rows_.HandleKey(key, focusedRow);
    }
    void Wheel(int notches, int linesPerNotch) override { rows_.Wheel(notches, linesPerNotch); }

private:
    TRowWindow& rows_;
};

} // namespace protmon
