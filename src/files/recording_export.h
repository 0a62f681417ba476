#pragma once

#include "files/export_options.h"
#include "files/monitor_file.h"

#include <string>
#include <string_view>

namespace protmon {

enum class ExportFormat { Pcapng, Csv, JsonLines };

// "pcapng", "csv", "jsonl"; false for another name.
bool ExportFormatFromName(std::string_view name, ExportFormat& format);
// The file name extension of the format, without dot.
const char* ExportFormatExtension(ExportFormat format);

// Writes the list (all of it, or options.Positions) in the format; the target is replaced only
// by a complete file. Codes and messages as SaveMonitorFile.
TMonitorFileResult ExportRecording(const std::string& path, ExportFormat format,
                                   const TTelegramList& list, const TCaptureSettings& settings,
                                   const TExportOptions& options);

} // namespace protmon
