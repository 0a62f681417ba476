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
    // A file that could not be read at all gives no output; a damaged one exports what it holds
    // and is reported, as `decode` shows it.
    if (ReportRefusedInput(options, read))
        return kExitFileError;
    const std::optional<std::vector<int>> shown = FilteredPositions(options, list);
    TExportOptions eo;
    eo.DecoderSet = sets.GetCfg(setIndex);
    eo.DecimalSeparator = EnvironmentDecimalSeparator();
    eo.MarkIndex = markIndex;
    eo.Positions = shown ? &*shown : nullptr;
    const TMonitorFileResult written = ExportRecording(options.Output, format, list, settings, eo);
    if (!written.Ok()) {
        ReportError(options.Output + ": " + written.Message);
        return kExitFileError;
    }
    if (!read.Ok()) {
        ReportError(options.Input + ": " + read.Text());
        return kExitFileError;
    }
    return kExitOk;
}

} // namespace protmon::cli
