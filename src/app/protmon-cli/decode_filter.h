#pragma once

#include "app/protmon-cli/cli_options.h"
#include "files/monitor_file.h"

#include <optional>
#include <vector>

namespace protmon::cli {

// The list positions that "Filter display" shows with --include and --exclude as the two
// filters, in list order; nullopt when neither option was given (every entry is shown).
std::optional<std::vector<int>> FilteredPositions(const TCliOptions& options, TTelegramList& list);

// --search: writes the positions that repeated "Search for filter" finds, one per line, starting
// from the first row a fresh view selects. False after a write error.
bool WriteSearchPositions(const TCliOptions& options, TTelegramList& list);

// True after reporting a file that gave nothing to read (not opened, a refused version, no
// recording): the command ends without output. A recording that is not whole is read and
// reported by FinishDecode after the output.
bool ReportRefusedInput(const TCliOptions& options, const TMonitorFileResult& read);

// Exit status of decode: a damaged file or an output that could not be written is reported.
int FinishDecode(const TCliOptions& options, const TMonitorFileResult& read, bool written);

} // namespace protmon::cli
