#include "app/protmon-cli/commands.h"
#include "app/protmon-cli/decode_filter.h"
#include "files/pcapng_recording.h"
#include "files/recording_export.h"
#include "files/recording_file.h"

namespace protmon::cli {

int RunExport(const TCliOptions& options) {
    ExportFormat format = ExportFormat::Pcapng;
    ExportFormatFromName(options.Format, format);
    TZXCfgList sets;
    int setIndex = -1;
    if (!options.Descriptions.empty() && !LoadDecoderSet(options, sets, setIndex))
        return kExitFileError;
    TTelegramList list;
    TCaptureSettings settings;
    int markIndex = -1;
    const TMonitorFileResult read = ReadRecording(options.Input, list, settings, &markIndex);
    // A damaged input gives no output either: a complete-looking export of part of a recording
    // would outlive the error message that said so.
    if (!read.Ok()) {
        ReportError(options.Input + ": " + read.Text());
        return kExitFileError;
    }
    const std::optional<std::vector<int>> shown = FilteredPositions(options, list);
    TExportOptions eo;
    eo.DecoderSet = sets.GetCfg(setIndex);
    eo.DecimalSeparator = EnvironmentDecimalSeparator();
    eo.MarkIndex = markIndex;
    eo.Positions = shown ? &*shown : nullptr;
    const TMonitorFileResult written = ExportRecording(options.Output, format, list, settings, eo);
    if (!written.Ok()) {
        ReportError(WriteFailureText(options.Output, written));
        return kExitFileError;
    }
    return kExitOk;
}

} // namespace protmon::cli
