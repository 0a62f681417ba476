#pragma once

#include "decode/decode_row.h"
#include "model/tel_entry.h"
#include "model/telegram_list.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace protmon {

// Writes the texts of the entry at `position` into a row.
using TRowDecoder = std::function<void(int position, const TTelEntry& entry, TRowTexts& row)>;

// Keys the list view hands to the row window; everything else keeps its default meaning.
enum class RowKey { Home, End, Up, Down, PageDown, PageUp, Space };

// What the widget does after a key: select a row (-1 keeps the selection) and show the details.
struct TRowKeyResult {
    int SelectRow = -1;
    bool Details = false;
};

// The virtual window of the list view over the telegram list: which entries fill which of the
// VisibleRows rows, the scroll range, and the ring of rows used as live display during capture.
// Only rows on screen are ever decoded.
class TRowWindow {
public:
    TRowWindow(const TTelegramList& list, TRowDecoder decoder);

    // Row count after a resize: at least one row; new rows carry blank texts.
    void SetVisibleRows(int rows);
    int VisibleRows() const { return static_cast<int>(rows_.size()); }
    // The rows as shown; live rows assigned since the last look are decoded now.
    const std::vector<TRowTexts>& Rows() const {
        DecodeLiveRows();
        return rows_;
    }
    const std::string& HeaderCaption() const { return header_; }
    // Grows whenever any row or the header text changed; the widget repaints on a change.
    unsigned Revision() const { return revision_; }
    // The revision at which a row last changed, so that a view redraws only those rows.
    unsigned RowRevision(int row) const { return rowRevision_[static_cast<std::size_t>(row)]; }

    // Filtered display: FilteredCount -1 while unfiltered; FilterDisplay is the menu setting.
    void SetFilter(int filteredCount, bool filterDisplay);
    // Maps a scroll position to TopIndex under a filtered display; the filtered view supplies
    // it. Without one the row window counts the entries whose filter mark is set.
    void SetScrollMapping(std::function<int(int scrollPosition)> mapping) {
        mapping_ = std::move(mapping);
    }
    int FilteredCount() const { return filteredCount_; }

    void SetCapturing(bool capturing) { capturing_ = capturing; }
    bool Capturing() const { return capturing_; }

    void RefreshRows();
    // Returns true when the scroll position had to move into the new range.
    bool UpdateScrollRange();
    // A scroll position change from the scroll bar, a key or the wheel; ignored while capturing.
    void SetScrollPosition(int position);
    int ScrollPosition() const { return position_; }
    int ScrollMax() const { return max_; }
    int LargeChange() const { return largeChange_; }

    int TopIndex() const { return topIndex_; }
    int FirstShownPosition() const { return firstShown_; }
    // Entry position in a row, read back from its caption; -1 for no row or an empty caption.
    int SelectedEntry(int row) const;

    // `focusedRow` is -1 while no row has the focus. Must not be called while capturing.
    TRowKeyResult HandleKey(RowKey key, int focusedRow);
    void Wheel(int notches, int linesPerNotch);

    // Live display after a poll tick; returns how many telegrams it newly showed. A row is decoded
    // only when it is looked at (Rows), so entries that a faster stream overwrites in the ring of
    // rows before the view repaints are never decoded.
    int LiveTick(bool rawWithoutMonitor);
    int LiveRow() const { return liveRow_; }
    int NextLiveEntry() const { return nextLive_; }
    void SetNextLiveEntry(int entry) { nextLive_ = entry; }
    void ResetLiveRow() { liveRow_ = 0; }
    // After the list was cleared: TopIndex, LiveRow, NextLiveEntry 0, then a redraw.
    void Reset();

    // Width of the "Additional" column for a list view of `viewWidth` pixels.
    static int Column3Width(int viewWidth, int col0, int col1, int col2);
    // Rows that fit on a page, at least one.
    static int RowsThatFit(int pageHeight, int rowHeight);

private:
    int ShownCount() const;
    int MapFilteredPosition(int position) const;
    void BlankRow(int row);
    void TouchRow(int row) { rowRevision_[static_cast<std::size_t>(row)] = ++revision_; }
    void TouchAll();
    void DecodeLiveRows() const;

    const TTelegramList& list_;
    TRowDecoder decoder_;
    std::function<int(int)> mapping_;
    // Decoded on demand from the entries the live display assigned (-1: nothing pending).
    mutable std::vector<TRowTexts> rows_;
    mutable std::vector<int> pending_;
    mutable bool anyPending_ = false;
    std::vector<unsigned> rowRevision_;
    TRowTexts scratch_;
    std::string header_ = "#";
    int headerCount_ = -1; // the entry count the live display last put into the header
    unsigned revision_ = 0;
    int filteredCount_ = -1;
    bool filterDisplay_ = false;
    bool capturing_ = false;
    int position_ = 0;
    int max_ = 1;
    int largeChange_ = 1;
    int topIndex_ = 0;
    int firstShown_ = 0;
    int liveRow_ = 0;
    int nextLive_ = 0;
};

} // namespace protmon
