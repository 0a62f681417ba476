#include "app/protmon-cli/commands.h"
#include "decode/decode_row.h"
#include "files/monitor_file.h"
#include "files/row_export.h"
#include "filter/filtered_view.h"

#include <optional>
#include <vector>

namespace protmon::cli {

namespace {

// What the window would say in a box goes to stderr; it is a notice, not a failure.
class TNoticeHost : public TSilentHost {
public:
    void ShowInfo(const std::string& text) override { ReportError(text); }
};

// The list positions to print: every entry (nullopt), the rows of the filtered display, or the
// positions that search finds.
std::optional<std::vector<int>> SelectedPositions(const TCliOptions& options, TTelegramList& list) {
    if (!options.IncludeGiven && !options.ExcludeGiven && !options.Search)
        return std::nullopt;
    TNoticeHost host;
    TFilteredView view(list, options.IncludeFilter, options.ExcludeFilter, host);
    if (options.Search)
        return view.SearchPositions(0); // a fresh view selects its first row
    // "Filter display" as the menu command does it: without an active filter nothing changes.
    view.FilterDisplayCommand();
    return view.ShownPositions();
}

bool WriteRows(const TCliOptions& options, const TTelegramList& list,
               const TCaptureSettings& settings, const std::optional<std::vector<int>>& positions) {
    TDecodeContext ctx;
    ctx.List = &list;
    ctx.Selection = settings.Selection;
    ctx.HexDisplay = options.Hex;
    ctx.SourceFlags = settings.SourceFlags;
    TOutputBuffer out(stdout);
    TRowTexts row;
    bool written = true;
    const int count = positions ? static_cast<int>(positions->size()) : list.Count();
    for (int i = 0; i < count && written; ++i) {
        const int position = positions ? (*positions)[static_cast<std::size_t>(i)] : i;
        DecodeTelegramRow(ctx, position, row);
        AppendRowLine(out.Text(), row.Caption, row.Id, row.Service, row.Additional);
        written = out.MaybeFlush();
    }
    return out.Flush() && written;
}

bool WritePositions(const std::vector<int>& positions) {
    TOutputBuffer out(stdout);
    bool written = true;
    for (std::size_t i = 0; i < positions.size() && written; ++i) {
        out.Text() += std::to_string(positions[i]);
        out.Text() += '\n';
        written = out.MaybeFlush();
    }
    return out.Flush() && written;
}

} // namespace

int RunDecode(const TCliOptions& options) {
    TTelegramList list;
    TCaptureSettings settings;
    const TMonitorFileResult r = ReadMonitorFile(options.Input, list, settings);
    // A damaged file still shows the entries it holds before the error is reported.
    const std::optional<std::vector<int>> positions = SelectedPositions(options, list);
    const bool written =
        options.Search ? WritePositions(*positions) : WriteRows(options, list, settings, positions);
    if (!r.Ok()) {
        ReportError(options.Input + ": " + r.Message);
        return kExitFileError;
    }
    if (!written) {
        ReportError("cannot write the output");
        return kExitFileError;
    }
    return kExitOk;
}

} // namespace protmon::cli
