#pragma once

#include "files/export_options.h"
#include "files/monitor_file.h"

#include <string>
#include <string_view>

namespace protmon {

// How a CSV text cell is quoted: always (the export's text columns), or only where its contents
// need it (a comma, a quote or a line break).
enum class CsvQuoting { Always, AsNeeded };

// Appends one CSV text cell, RFC 4180 quoted. A text that a spreadsheet would take for a
// formula (first character =, +, -, @, TAB or CR) gets a leading apostrophe so it stays text;
// a number such as -5 or -1.5 stays a number.
void AppendCsvCell(std::string& out, std::string_view text, CsvQuoting quoting);

// One row per entry as CSV (RFC 4180: comma, CR LF, text fields in double quotes, UTF-8) with a
// header row: position, time, channel, time stamp, ID, Function/Service, Additional, response
// time, bytes. Times in seconds; texts as `protmon-cli decode` prints them.
TMonitorFileResult ExportCsv(const std::string& path, const TTelegramList& list,
                             const TCaptureSettings& settings, const TExportOptions& options);

// One JSON object per line with the items of the CSV row, plus the entry kind, the address
// byte, class and service number of a coded telegram, and the request's position of a paired
// response.
TMonitorFileResult ExportJsonLines(const std::string& path, const TTelegramList& list,
                                   const TCaptureSettings& settings, const TExportOptions& options);

} // namespace protmon
