#include "view/row_window.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace protmon {

namespace {

constexpr std::uint8_t kFullRawChunk = 16;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool SameTexts(const TRowTexts& a, const TRowTexts& b) {
    return a.Caption == b.Caption && a.Id == b.Id && a.Service == b.Service &&
           a.Additional == b.Additional;
}

} // namespace

TRowWindow::TRowWindow(const TTelegramList& list, TRowDecoder decoder)
    : list_(list), decoder_(std::move(decoder)) {
    SetVisibleRows(1);
}

void TRowWindow::SetVisibleRows(int rows) {
    rows = std::max(rows, 1);
    const auto old = rows_.size();
    rows_.resize(static_cast<std::size_t>(rows));
    pending_.resize(rows_.size(), -1);
    rowRevision_.resize(rows_.size());
    for (auto i = old; i < rows_.size(); ++i)
        rows_[i] = TRowTexts{"", " ", " ", " "};
    liveRow_ = std::min(liveRow_, rows - 1);
    TouchAll();
    UpdateScrollRange();
}

void TRowWindow::TouchAll() {
    ++revision_;
    std::fill(rowRevision_.begin(), rowRevision_.end(), revision_);
}

void TRowWindow::DecodeLiveRows() const {
    if (!anyPending_)
        return;
    anyPending_ = false;
    const int count = list_.Count();
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const int position = std::exchange(pending_[r], -1);
        if (position >= count)
            rows_[r].Clear(); // the list was emptied before the row was looked at
        else if (position >= 0)
            decoder_(position, *list_.At(position), rows_[r]);
    }
}

void TRowWindow::SetFilter(int filteredCount, bool filterDisplay) {
    filteredCount_ = filteredCount;
    filterDisplay_ = filterDisplay;
}

int TRowWindow::ShownCount() const {
    return filteredCount_ != -1 ? filteredCount_ : list_.Count();
}

bool TRowWindow::UpdateScrollRange() {
    max_ = std::max(ShownCount() - VisibleRows(), 1);
    largeChange_ = std::max(VisibleRows(), 1);
    if (position_ <= max_)
        return false;
    position_ = max_;
    if (!capturing_) {
        topIndex_ = filteredCount_ != -1 ? MapFilteredPosition(position_) : position_;
        RefreshRows();
    }
    return true;
}

// The (position + 1)-th entry with a filter mark, or the number of entries if there are fewer.
int TRowWindow::MapFilteredPosition(int position) const {
    if (mapping_)
        return std::clamp(mapping_(position), 0, list_.Count());
    const int count = list_.Count();
    int seen = 0;
    for (int k = 0; k < count; ++k) {
        if (list_.At(k)->Data[kFilterMarkIndex] != 0 && seen++ == position)
            return k;
    }
    return count;
}

void TRowWindow::SetScrollPosition(int position) {
    if (capturing_)
        return;
    position_ = std::clamp(position, 0, max_);
    topIndex_ = filteredCount_ != -1 ? MapFilteredPosition(position_) : position_;
    RefreshRows();
}

void TRowWindow::BlankRow(int row) {
    pending_[static_cast<std::size_t>(row)] = -1;
    rows_[static_cast<std::size_t>(row)].Clear();
}

void TRowWindow::RefreshRows() {
    const int count = list_.Count();
    header_ =
        filteredCount_ == -1 ? std::to_string(count) : "[" + std::to_string(filteredCount_) + "]";
    headerCount_ = filteredCount_ == -1 ? count : -1;
    int filled = 0;
    if (topIndex_ >= 0 && topIndex_ < count) {
        firstShown_ = topIndex_;
        for (int k = topIndex_; k < count && filled < VisibleRows(); ++k) {
            const TTelEntry& e = *list_.At(k);
            if (filterDisplay_ && e.Data[kFilterMarkIndex] == 0)
                continue;
            pending_[static_cast<std::size_t>(filled)] = -1;
            decoder_(k, e, rows_[static_cast<std::size_t>(filled++)]);
        }
    }
    for (int r = filled; r < VisibleRows(); ++r)
        BlankRow(r);
    TouchAll();
}

int TRowWindow::SelectedEntry(int row) const {
    if (row < 0 || row >= VisibleRows())
        return -1;
    DecodeLiveRows();
    std::string_view text = rows_[static_cast<std::size_t>(row)].Caption;
    if (text.empty())
        return -1;
    if (auto lt = text.find('<'); lt != std::string_view::npos) {
        text.remove_prefix(lt + 1);
        if (auto gt = text.find('>'); gt != std::string_view::npos)
            text = text.substr(0, gt);
    }
    text = Trim(text);
    int value = -1;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0)
        return -1;
    return value;
}

TRowKeyResult TRowWindow::HandleKey(RowKey key, int focusedRow) {
    const int last = VisibleRows() - 1;
    if (focusedRow < 0 || focusedRow > last) {
        SetScrollPosition(0);
        return {0, false};
    }
    switch (key) {
    case RowKey::Home:
        SetScrollPosition(0);
        return {0, true};
    case RowKey::End:
        SetScrollPosition(max_);
        return {last, true};
    case RowKey::Up:
        if (focusedRow == 0) {
            SetScrollPosition(position_ - 1);
            return {-1, true};
        }
        return {focusedRow - 1, true};
    case RowKey::Down:
        if (focusedRow == last) {
            SetScrollPosition(position_ + 1);
            return {-1, true};
        }
        return {focusedRow + 1, true};
    case RowKey::PageDown:
        SetScrollPosition(position_ + VisibleRows());
        return {-1, true};
    case RowKey::PageUp:
        SetScrollPosition(position_ - VisibleRows());
        return {-1, true};
    case RowKey::Space:
        return {-1, true};
    }
    return {};
}

void TRowWindow::Wheel(int notches, int linesPerNotch) {
    if (capturing_ || notches == 0)
        return;
    // Down is a negative angle from the toolkit; the caller passes notches down as positive.
    SetScrollPosition(position_ + notches * linesPerNotch);
}

int TRowWindow::LiveTick(bool rawWithoutMonitor) {
    const int count = list_.Count();
    const int target = list_.WriteIndex() >= 1 ? list_.WriteIndex() : count;
    int shown = 0;
    while (nextLive_ != target && count > 0) {
        if (nextLive_ >= count || nextLive_ < 0)
            nextLive_ = 0;
        if (nextLive_ == target)
            break;
        const auto r = static_cast<std::size_t>(liveRow_);
        if (rawWithoutMonitor) {
            // A chunk still filling is drawn again into the same row on the next tick; only a
            // change of its texts needs a repaint.
            const TTelEntry& e = *list_.At(nextLive_);
            DecodeLiveRows();
            decoder_(nextLive_, e, scratch_);
            if (!SameTexts(scratch_, rows_[r])) {
                std::swap(scratch_, rows_[r]);
                TouchRow(liveRow_);
            }
            if (e.Data[0] == kFullRawChunk) {
                ++nextLive_;
                liveRow_ = liveRow_ + 1 == VisibleRows() ? 0 : liveRow_ + 1;
            }
            // Raw bytes on screen are recorded data too, so they count as unsaved.
            ++shown;
            break;
        }
        pending_[r] = nextLive_;
        anyPending_ = true;
        TouchRow(liveRow_);
        if (++liveRow_ == VisibleRows()) {
            liveRow_ = 0;
        } else {
            BlankRow(liveRow_);
            TouchRow(liveRow_);
        }
        ++nextLive_;
        ++shown;
    }
    if (count != headerCount_) {
        headerCount_ = count;
        header_ = std::to_string(count);
        ++revision_;
    }
    return shown;
}

void TRowWindow::Reset() {
    topIndex_ = 0;
    position_ = 0;
    liveRow_ = 0;
    nextLive_ = 0;
    UpdateScrollRange();
    RefreshRows();
}

int TRowWindow::Column3Width(int viewWidth, int col0, int col1, int col2) {
    return std::max(viewWidth - col0 - col1 - col2 - 25, 200);
}

int TRowWindow::RowsThatFit(int pageHeight, int rowHeight) {
    if (rowHeight <= 0)
        return 1;
    return std::max(pageHeight / rowHeight, 1);
}

} // namespace protmon
