#include "session/export_command.h"

#include "files/force_extension.h"
#include "files/recording_file.h"

#include <vector>

namespace protmon {

TMonitorFileResult ExportCommand(const TExportRequest& request, const TTelegramList& list,
                                 const TCaptureSettings& settings, const TExportOptions& base,
                                 const TFilteredView* view, std::string& path) {
    path = ForceExtension(request.FileName, ExportFormatExtension(request.Format));
    TExportOptions options = base;
    std::vector<int> shown;
    if (request.FilteredOnly && view != nullptr && view->FilteredCount() >= 0) {
        shown = view->ShownPositions();
        options.Positions = &shown;
    }
    return ExportRecording(path, request.Format, list, settings, options);
}

TMonitorFileResult ImportCommand(const std::string& path, TTelegramList& list,
                                 TCaptureSettings& settings, int& markIndex) {
    return ReadRecording(path, list, settings, &markIndex);
}

} // namespace protmon
