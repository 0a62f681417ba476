#include "filter/filtered_view.h"

#include "filter/filter_match.h"
#include "model/busy_scope.h"

#include <algorithm>

namespace protmon {

namespace {

// A partner (the response of a request or the request of a response) is looked for this far.
constexpr int kPartnerReach = 8;

} // namespace

std::string WindowTitle(std::string_view currentFileName, bool filtered) {
    std::string title(kProgramTitle);
    title += "  ";
    title += currentFileName;
    if (filtered)
        title += kFilteredTitleSuffix;
    return title;
}

TFilteredView::TFilteredView(TTelegramList& list, const TFilterCriteria& includeFilter,
                             const TFilterCriteria& excludeFilter, IHost& host)
    : list_(list), include_(includeFilter), exclude_(excludeFilter), host_(host) {}

std::uint8_t& TFilteredView::Mark(int position) {
    return list_.At(position)->Data[kFilterMarkIndex];
}

void TFilteredView::SetMark(int position, std::uint8_t mark) {
    std::uint8_t& m = Mark(position);
    if ((m != kMarkHidden) != (mark != kMarkHidden))
        filteredCount_ += mark != kMarkHidden ? 1 : -1;
    m = mark;
}

void TFilteredView::BuildFilteredDisplay() {
    Rebuild(true);
}

void TFilteredView::ListChanged() {
    if (filteredCount_ >= 0)
        Rebuild(false);
}

void TFilteredView::Rebuild(bool reportEmpty) {
    filteredCount_ = -1;
    if (!filterDisplay_)
        return;
    {
        TBusyScope busy(host_);
        filteredCount_ = 0;
        IncludePass();
        if (exclude_.FilterActive())
            ExcludePass();
    }
    if (filteredCount_ == 0 && reportEmpty)
        host_.ShowInfo(std::string(kNoTelegramsMatched));
}

int TFilteredView::FindPartner(int from, int direction, std::uint8_t id, std::uint8_t serviceByte,
                               MarkWanted wanted) const {
    for (int step = 1; step <= kPartnerReach; ++step) {
        const TTelEntry* e = list_.At(from + direction * step);
        // Only coded telegrams are partners; status entries have ID 0.
        if (e == nullptr || e->Data[0] == 0 || e->Data[0] != id || e->Data[1] != serviceByte)
            continue;
        const bool shown = e->Data[kFilterMarkIndex] != kMarkHidden;
        if (wanted == MarkWanted::Any || (wanted == MarkWanted::Shown) == shown)
            return from + direction * step;
    }
    return -1;
}

void TFilteredView::IncludePass() {
    const TPreparedFilter filter(include_);
    const int count = list_.Count();
    // Old marks are cleared just ahead of the pass, as far as a partner can be brought in, so
    // the list is walked once.
    for (int i = 0; i < std::min(count, kPartnerReach + 1); ++i)
        Mark(i) = kMarkHidden;
    for (int i = 0; i < count; ++i) {
        if (i + kPartnerReach + 1 < count)
            Mark(i + kPartnerReach + 1) = kMarkHidden;
        const TTelEntry& e = *list_.At(i);
        if (e.Data[kFilterMarkIndex] != kMarkHidden)
            continue;
        const int r = filter.Match(e.Data);
        if (r == kNoMatch)
            continue;
        SetMark(i, kMarkMatched);
        if (r == kPlainMatch)
            continue;
        const int p = PartnerOf(i, e.Data[0], static_cast<std::uint8_t>(r), MarkWanted::Hidden);
        if (p >= 0 && Mark(p) == kMarkHidden)
            SetMark(p, kMarkPartner);
    }
}

// The partner of a value match at `i`: a request's response is the first one within reach,
// whatever its mark; a response's request is the nearest earlier one with the wanted mark.
int TFilteredView::PartnerOf(int i, std::uint8_t id, std::uint8_t serviceByte,
                             MarkWanted requestMark) const {
    if ((serviceByte & 0x80) == 0)
        return FindPartner(i, +1, id, serviceByte | 0x80, MarkWanted::Any);
    return FindPartner(i, -1, id, serviceByte & 0x7F, requestMark);
}

void TFilteredView::ExcludePass() {
    const TPreparedFilter filter(exclude_);
    const int count = list_.Count();
    for (int i = 0; i < count; ++i) {
        const TTelEntry& e = *list_.At(i);
        if (e.Data[kFilterMarkIndex] == kMarkHidden)
            continue;
        const int r = filter.Match(e.Data);
        if (r == kNoMatch)
            continue;
        SetMark(i, kMarkHidden);
        if (r == kPlainMatch)
            continue;
        const int p = PartnerOf(i, e.Data[0], static_cast<std::uint8_t>(r), MarkWanted::Shown);
        if (p >= 0)
            SetMark(p, kMarkHidden);
    }
}

bool TFilteredView::FilterDisplayCommand() {
    if (filterDisplay_) {
        filterDisplay_ = false;
        BuildFilteredDisplay();
        return true;
    }
    if (!include_.FilterActive() && !exclude_.FilterActive())
        return false;
    filterDisplay_ = true;
    BuildFilteredDisplay();
    return true;
}

TSearchResult TFilteredView::SearchNext(int selectedPosition) {
    if (filteredCount_ >= 0) {
        host_.ShowInfo(std::string(kDisplayAlreadyFiltered));
        return {SearchStatus::AlreadyFiltered, -1};
    }
    const int found = [&] {
        TBusyScope busy(host_);
        return FindNext(selectedPosition);
    }();
    if (found >= 0)
        return {SearchStatus::Found, found};
    host_.ShowInfo(std::string(kNoMoreTelegrams));
    return {SearchStatus::NotFound, -1};
}

int TFilteredView::FindNext(int selectedPosition) const {
    const TPreparedFilter filter(include_);
    const int count = list_.Count();
    for (int i = std::max(selectedPosition + 1, 0); i < count; ++i)
        if (filter.Match(list_.At(i)->Data) != kNoMatch)
            return i;
    return -1;
}

std::vector<int> TFilteredView::SearchPositions(int selectedPosition) const {
    std::vector<int> found;
    for (int p = FindNext(selectedPosition); p >= 0; p = FindNext(p))
        found.push_back(p);
    return found;
}

int TFilteredView::ShownCount() const {
    return filteredCount_ >= 0 ? filteredCount_ : list_.Count();
}

bool TFilteredView::IsShown(int position) const {
    const TTelEntry* e = list_.At(position);
    return e != nullptr && (filteredCount_ < 0 || e->Data[kFilterMarkIndex] != kMarkHidden);
}

int TFilteredView::TopIndexForScrollPosition(int scrollPosition) const {
    if (filteredCount_ < 0)
        return scrollPosition;
    const int count = list_.Count();
    int seen = 0;
    for (int i = 0; i < count; ++i) {
        if (list_.At(i)->Data[kFilterMarkIndex] != kMarkHidden && seen++ == scrollPosition)
            return i;
    }
    return count;
}

int TFilteredView::ScrollPositionOf(int position) const {
    if (filteredCount_ < 0)
        return position;
    const int end = std::min(position, list_.Count());
    int shown = 0;
    for (int i = 0; i < end; ++i)
        shown += list_.At(i)->Data[kFilterMarkIndex] != kMarkHidden ? 1 : 0;
    return shown;
}

std::vector<int> TFilteredView::RowPositions(int topIndex, int rows) const {
    std::vector<int> positions;
    const int count = list_.Count();
    for (int i = std::max(topIndex, 0); i < count && static_cast<int>(positions.size()) < rows;
         ++i) {
        if (IsShown(i))
            positions.push_back(i);
    }
    return positions;
}

} // namespace protmon
