#include "app/protmon-cli/decode_filter.h"

#include "app/protmon-cli/commands.h"
#include "filter/filtered_view.h"

namespace protmon::cli {

namespace {

// What the window would say in a box goes to stderr; it is a notice, not a failure.
class TNoticeHost : public TSilentHost {
public:
    void ShowInfo(const std::string& text) override { ReportError(text); }
};

} // namespace

std::optional<std::vector<int>> FilteredPositions(const TCliOptions& options, TTelegramList& list) {
    if (!options.IncludeGiven && !options.ExcludeGiven)
        return std::nullopt;
    TNoticeHost host;
    TFilteredView view(list, options.IncludeFilter, options.ExcludeFilter, host);
    // As the menu command: without an active filter nothing changes and every row stays.
    view.FilterDisplayCommand();
    return view.ShownPositions();
}

bool WriteSearchPositions(const TCliOptions& options, TTelegramList& list) {
    TSilentHost host;
    const TFilteredView view(list, options.IncludeFilter, options.ExcludeFilter, host);
    TOutputBuffer out(stdout);
    bool written = true;
    for (const int position : view.SearchPositions(0)) {
        if (!written)
            break;
        out.Text() += std::to_string(position);
        out.Text() += '\n';
        written = out.MaybeFlush();
    }
    return out.Flush() && written;
}

bool ReportRefusedInput(const TCliOptions& options, const TMonitorFileResult& read) {
    if (read.Code != kMonitorFileOpenError && read.Code != kMonitorFileUnsupportedVersion &&
        read.Code != kRecordingNotOurs)
        return false;
    ReportError(options.Input + ": " + read.Text());
    return true;
}

int FinishDecode(const TCliOptions& options, const TMonitorFileResult& read, bool written) {
    if (!read.Ok()) {
        ReportError(options.Input + ": " + read.Text());
        return kExitFileError;
    }
    if (!written) {
        ReportOutputError();
        return kExitFileError;
    }
    return kExitOk;
}

} // namespace protmon::cli
