#pragma once

#include "files/monitor_file.h"
#include "files/recording_export.h"
#include "filter/filtered_view.h"

#include <string>

namespace protmon {

// Filter list of the window's "Export..." save dialog, one item per format in ExportFormat order.
inline constexpr const char* kExportDialogFilter =
    "pcapng files (*.pcapng)|*.pcapng|CSV files (*.csv)|*.csv|JSON Lines files (*.jsonl)|*.jsonl";
// Filter list of "Import...".
inline constexpr const char* kImportDialogFilter = "pcapng files (*.pcapng)|*.pcapng";

// What "Export..." was asked for: the chosen name (its extension is forced to the format's), the
// format of the chosen filter item, and whether only the rows of the filtered display go out.
struct TExportRequest {
    std::string FileName;
    ExportFormat Format = ExportFormat::Pcapng;
    bool FilteredOnly = false;
};

// Writes the export. `view` (may be nullptr) gives the filtered display's rows when
// FilteredOnly is set and the display is filtered; otherwise every entry goes out. `path`
// receives the name written. The window shows Message in an error box when the code is not 0;
// the recording, its caption and UnsavedTelegrams stay as they were.
TMonitorFileResult ExportCommand(const TExportRequest& request, const TTelegramList& list,
                                 const TCaptureSettings& settings, const TExportOptions& base,
                                 const TFilteredView* view, std::string& path);

// "Import...": reads the pcapng file (or a monitor file) into the list and settings as Read
// does; `markIndex` gets the recording's mark. The caller does what Read does around it (the
// check and Clear with its question first, then caption, display state and UnsavedTelegrams).
TMonitorFileResult ImportCommand(const std::string& path, TTelegramList& list,
                                 TCaptureSettings& settings, int& markIndex);

} // namespace protmon
