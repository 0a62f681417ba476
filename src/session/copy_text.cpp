#include "session/copy_text.h"

#include "filter/number_parse.h"
#include "model/busy_scope.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace protmon {

bool PrepareCopyDialog(TCopyDialogState& dialog, int entryCount, int filteredCount) {
    if (entryCount <= 0)
        return false;
    dialog.FromText = std::to_string(0);
    dialog.ToText = std::to_string(std::min(entryCount - 1, kMaxCopyLines - 1));
    dialog.AllFilteredEnabled = filteredCount >= 0;
    if (dialog.AllFilteredEnabled)
        dialog.SelectAllFiltered();
    else
        dialog.SelectRange();
    return true;
}

namespace {

void AppendLine(std::string& text, const TRowTexts& row, const TCellStyle& style) {
    for (const std::string* column : {&row.Caption, &row.Id, &row.Service, &row.Additional}) {
        if (column != &row.Caption)
            text.push_back('\t');
        style.Glyphs->AppendUtf8(text, *column, style.CodePage);
    }
    text.push_back('\r');
    text.push_back('\n');
}

} // namespace

TCopyResult BuildCopyText(const TTelegramList& list, int filteredCount,
                          const TCopyDialogState& dialog, const TCopyRowSource& rows, IHost& host,
                          const TCellStyle& style) {
    TCopyResult result;
    const auto fromValue = ParseIntegerText(TrimBlanks(dialog.FromText));
    const auto toValue = ParseIntegerText(TrimBlanks(dialog.ToText));
    const bool allFiltered = dialog.AllFilteredSelected && filteredCount >= 0;
    // A "to" below "from" would otherwise run to the end of the list; it is no range.
    if (!fromValue || !toValue || (!allFiltered && *toValue < *fromValue)) {
        host.ShowInfo(std::string(kIllegalRange));
        return result;
    }
    const std::int64_t last = list.Count() - 1;
    std::int64_t from = *fromValue;
    std::int64_t n = std::int64_t{*toValue} - *fromValue;
    if (from < 0)
        from = 0;
    if (from + n > last)
        n = last - from;
    if (allFiltered) {
        from = 0;
        n = filteredCount - 1;
    }
    if (n > kMaxCopyLines - 1) {
        host.ShowInfo(std::string(kCopyLimited));
        n = kMaxCopyLines - 1;
    }
    result.Copy = true;
    const TBusyScope busy(host);
    TRowTexts row;
    for (std::int64_t i = from; n >= 0 && i <= last; ++i) {
        const TTelEntry* e = list.At(static_cast<int>(i));
        if (allFiltered && e->Data[kFilterMarkIndex] == 0)
            continue;
        row.Clear();
        rows(static_cast<int>(i), row);
        AppendLine(result.Text, row, style);
        ++result.Lines;
        --n;
    }
    return result;
}

TCopyResult BuildCopyText(const TTelegramList& list, int filteredCount,
                          const TCopyDialogState& dialog, const TDecodeContext& context,
                          IHost& host, const TCellStyle& style) {
    return BuildCopyText(
        list, filteredCount, dialog,
        [&context](int position, TRowTexts& out) {
            return DecodeTelegramRow(context, position, out);
        },
        host, style);
}

} // namespace protmon
