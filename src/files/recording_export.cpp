#include "files/recording_export.h"

#include "files/pcapng_recording.h"
#include "files/table_export.h"

#include <array>

namespace protmon {

namespace {

struct TFormatName {
    ExportFormat Format;
    const char* Name;
};
constexpr std::array<TFormatName, 3> kFormats = {{
    {ExportFormat::Pcapng, "pcapng"},
    {ExportFormat::Csv, "csv"},
    {ExportFormat::JsonLines, "jsonl"},
}};

} // namespace

bool ExportFormatFromName(std::string_view name, ExportFormat& format) {
    for (const TFormatName& f : kFormats)
        if (name == f.Name) {
            format = f.Format;
            return true;
        }
    return false;
}

const char* ExportFormatExtension(ExportFormat format) {
    for (const TFormatName& f : kFormats)
        if (f.Format == format)
            return f.Name;
    return "";
}

TMonitorFileResult ExportRecording(const std::string& path, ExportFormat format,
                                   const TTelegramList& list, const TCaptureSettings& settings,
                                   const TExportOptions& options) {
    switch (format) {
    case ExportFormat::Pcapng:
        return ExportPcapng(path, list, settings, options);
    case ExportFormat::Csv:
        return ExportCsv(path, list, settings, options);
    case ExportFormat::JsonLines:
        return ExportJsonLines(path, list, settings, options);
    }
    return ExportPcapng(path, list, settings, options);
}

} // namespace protmon
