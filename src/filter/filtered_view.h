#pragma once

#include "filter/filter_criteria.h"
#include "model/host.h"
#include "model/telegram_list.h"

#include <string>
#include <string_view>
#include <vector>

namespace protmon {

// Filter marks kept in Data[kFilterMarkIndex] of every entry.
enum FilterMark : std::uint8_t { kMarkHidden = 0, kMarkMatched = 1, kMarkPartner = 2 };

inline constexpr std::string_view kProgramTitle = "ZIZ Protocol Monitor V4.1";
inline constexpr std::string_view kFilteredTitleSuffix = " [filtered]";
inline constexpr std::string_view kNoTelegramsMatched = "No telegrams matched ALL filter settings.";
inline constexpr std::string_view kDisplayAlreadyFiltered = "Display already filtered";
inline constexpr std::string_view kNoMoreTelegrams = "No more telegrams to find.";

// Window title: the program title, two blanks, the file name and, while the display is filtered,
// " [filtered]".
std::string WindowTitle(std::string_view currentFileName, bool filtered);

enum class SearchStatus { Found, NotFound, AlreadyFiltered };
struct TSearchResult {
    SearchStatus Status = SearchStatus::NotFound;
    int Position = -1; // the found entry when Found
};

// The filtered display: which entries the list view shows while "Filter display" is checked,
// kept as marks on the entries themselves (nothing is copied), plus search.
class TFilteredView {
public:
    TFilteredView(TTelegramList& list, const TFilterCriteria& includeFilter,
                  const TFilterCriteria& excludeFilter, IHost& host);

    // Check state of "Filter display": the user's request for a filtered view.
    bool FilterDisplay() const { return filterDisplay_; }
    void SetFilterDisplay(bool checked) { filterDisplay_ = checked; }
    // -1 while not filtered, else the number of shown entries.
    int FilteredCount() const { return filteredCount_; }

    // Builds the filtered view when "Filter display" is checked, else removes it. Reports an empty
    // result through the host. The caller then sets WindowTitle(..., FilterDisplay()), scrolls to
    // the top and updates the scroll range.
    void BuildFilteredDisplay();
    // "Filter display" (F3): unchecks and removes, or checks and builds if either filter is
    // active. Returns whether anything changed (false: both filters inactive, nothing happens).
    bool FilterDisplayCommand();
    // "Set filter" or "Set exclude filter" closed, whatever the button: rebuild if filtered.
    void FilterDialogClosed() {
        if (filterDisplay_)
            BuildFilteredDisplay();
    }
    // After Clear or a smaller buffer depth: rebuild a filtered view quietly, so FilteredCount
    // never exceeds the entries.
    void ListChanged();

    // "Search for filter" from the entry after `selectedPosition` (the selected telegram, or the
    // first shown one when no row is selected). Messages go through the host.
    TSearchResult SearchNext(int selectedPosition);
    // The entry that search would find after `selectedPosition`, -1 if none; no messages.
    int FindNext(int selectedPosition) const;
    // Every entry that repeated searches find, starting with `selectedPosition` selected (the
    // command-line tool starts from position 0, the row a fresh view selects).
    std::vector<int> SearchPositions(int selectedPosition) const;
    // Every entry the list view shows, in order: all of them unless the display is filtered.
    std::vector<int> ShownPositions() const { return RowPositions(0, list_.Count()); }

    // Row window support.
    // Number of entries the list view can scroll through.
    int ShownCount() const;
    // Whether the entry at `position` fills a row under the current setting.
    bool IsShown(int position) const;
    // TopIndex for a scroll position: the position itself, or under a filtered display the
    // (scrollPosition + 1)-th shown entry, or the entry count when there are fewer.
    int TopIndexForScrollPosition(int scrollPosition) const;
    // Scroll position that puts `position` in the first row (the number of shown entries before
    // it under a filtered display).
    int ScrollPositionOf(int position) const;
    // Positions that fill rows 0 .. rows-1 starting at `topIndex`.
    std::vector<int> RowPositions(int topIndex, int rows) const;

private:
    void Rebuild(bool reportEmpty);
    void IncludePass();
    void ExcludePass();
    std::uint8_t& Mark(int position);
    void SetMark(int position, std::uint8_t mark);
    enum class MarkWanted { Any, Hidden, Shown };
    // Nearest later (direction +1) or earlier (-1) entry within eight positions that is a coded
    // telegram with this ID and service byte and whose mark is as wanted; -1 if none.
    int FindPartner(int from, int direction, std::uint8_t id, std::uint8_t serviceByte,
                    MarkWanted wanted) const;
    int PartnerOf(int i, std::uint8_t id, std::uint8_t serviceByte, MarkWanted requestMark) const;

    TTelegramList& list_;
    const TFilterCriteria& include_;
    const TFilterCriteria& exclude_;
    IHost& host_;
    bool filterDisplay_ = false;
    int filteredCount_ = -1;
};

} // namespace protmon
