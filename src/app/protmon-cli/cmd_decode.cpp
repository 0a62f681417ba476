#include "app/protmon-cli/commands.h"
#include "app/protmon-cli/decode_filter.h"
#include "decode/decode_row.h"
#include "files/monitor_file.h"
#include "files/row_export.h"

namespace protmon::cli {

int RunDecode(const TCliOptions& options) {
    TTelegramList list;
    TCaptureSettings settings;
    const TMonitorFileResult r = ReadMonitorFile(options.Input, list, settings);
    if (options.Search)
        return FinishDecode(options, r, WriteSearchPositions(options, list));
    // A damaged file still shows the entries it holds before the error is reported.
    TDecodeContext ctx;
    ctx.List = &list;
    ctx.Selection = settings.Selection;
    ctx.HexDisplay = options.Hex;
    ctx.SourceFlags = settings.SourceFlags;
    TOutputBuffer out(stdout);
    TRowTexts row;
    // The rows of the filtered display, or every entry.
    const std::optional<std::vector<int>> shown = FilteredPositions(options, list);
    const int count = shown ? static_cast<int>(shown->size()) : list.Count();
    bool written = true;
    for (int i = 0; i < count && written; ++i) {
        const int position = shown ? (*shown)[static_cast<std::size_t>(i)] : i;
        DecodeTelegramRow(ctx, position, row);
        AppendRowLine(out.Text(), row.Caption, row.Id, row.Service, row.Additional);
        written = out.MaybeFlush();
    }
    written = out.Flush() && written;
    return FinishDecode(options, r, written);
}

} // namespace protmon::cli
