#pragma once

#include "decode/cell_glyphs.h"
#include "decode/decode_row.h"
#include "model/host.h"
#include "model/telegram_list.h"

#include <functional>
#include <string>
#include <string_view>

namespace protmon {

inline constexpr std::string_view kCopyDialogCaption = "Copy telegrams to clipboard";
inline constexpr std::string_view kIllegalRange = "Illegal range selected !";
inline constexpr std::string_view kCopyLimited = "Count of telegrams is limited to 1000 items.";
constexpr int kMaxCopyLines = 1000;

// Fills the four column texts of the entry at `position` exactly as the list view would show it
// now; false when there is no such entry.
using TCopyRowSource = std::function<bool(int position, TRowTexts& out)>;

// What the "Copy telegrams to clipboard" dialog shows and returns. The two radio buttons sit in
// different groups, so choosing one clears the other here.
struct TCopyDialogState {
    bool RangeSelected = true;
    bool AllFilteredSelected = false;
    bool AllFilteredEnabled = false;
    std::string FromText = "0";
    std::string ToText = "1";

    void SelectRange() {
        RangeSelected = true;
        AllFilteredSelected = false;
    }
    void SelectAllFiltered() {
        AllFilteredSelected = true;
        RangeSelected = false;
    }
};

// Sets the dialog up before it opens: "from" 0, "to" the last position (at most 999), and
// "All filtered telegrams" chosen and enabled exactly while the display is filtered. False when
// the list is empty: the command then does nothing.
bool PrepareCopyDialog(TCopyDialogState& dialog, int entryCount, int filteredCount);

struct TCopyResult {
    bool Copy = false; // false: leave the clipboard untouched
    // The clipboard text in UTF-8, one CR LF ended line per telegram, TAB between the cells.
    // Inside a cell each byte is written as the list shows it (glyphs and code page), so a control
    // byte in a cell never splits a line or a column.
    std::string Text;
    int Lines = 0;
};

// How the list shows the bytes of a cell: the symbols of its control bytes and the code page of the
// decoder's names.
struct TCellStyle {
    const TCellGlyphs* Glyphs = &TCellGlyphs::Default();
    protmon::CodePage CodePage = protmon::CodePage::Latin1;
};

// After OK: the clipboard text for the chosen range or for the shown telegrams of the filtered
// view, never more than 1000 lines. Messages go through the host.
TCopyResult BuildCopyText(const TTelegramList& list, int filteredCount,
                          const TCopyDialogState& dialog, const TCopyRowSource& rows, IHost& host,
                          const TCellStyle& style = {});
// The same with the rows decoded by DecodeTelegramRow in `context` (the list view's settings).
TCopyResult BuildCopyText(const TTelegramList& list, int filteredCount,
                          const TCopyDialogState& dialog, const TDecodeContext& context,
                          IHost& host, const TCellStyle& style = {});

} // namespace protmon
