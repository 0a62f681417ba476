#include "files/force_extension.h"
#include "files/trend_export.h"
#include "model/busy_scope.h"
#include "session/session.h"

#include <algorithm>
#include <filesystem>

namespace protmon {

void TMonitorSession::ExportTrend(bool withSvg,
                                  const std::function<std::string(TrendExportFormat)>& render) {
    int filterIndex = 0;
    const std::string chosen =
        chooser_->ExportFileName(fileFolder_, TrendExportFilter(withSvg), filterIndex);
    if (chosen.empty())
        return;
    // The file type decides: "trend.png" with the CSV type becomes trend.csv, not CSV in a .png.
    const auto format = static_cast<TrendExportFormat>(std::clamp(filterIndex, 0, withSvg ? 2 : 1));
    const std::string name = ForceExtension(chosen, TrendExportExtension(format));
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && !host_.Confirm("Confirm overwriting " + name))
        return;
    std::string reason;
    const bool written = [&] {
        TBusyScope busy(host_);
        return WriteWholeFile(name, render(format), reason);
    }();
    if (!written)
        host_.ShowError("Error writing to file\n" + name + ": " + reason);
}

} // namespace protmon
