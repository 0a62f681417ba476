#include "app/protmon-cli/commands.h"
#include "decode/decode_row.h"
#include "files/monitor_file.h"
#include "files/row_export.h"

namespace protmon::cli {

int RunDecode(const TCliOptions& options) {
    TTelegramList list;
    TCaptureSettings settings;
    const TMonitorFileResult r = ReadMonitorFile(options.Input, list, settings);
    // A damaged file still shows the entries it holds before the error is reported.
    TDecodeContext ctx;
    ctx.List = &list;
    ctx.Selection = settings.Selection;
    ctx.HexDisplay = options.Hex;
    ctx.SourceFlags = settings.SourceFlags;
    TOutputBuffer out(stdout);
    TRowTexts row;
    bool written = true;
    for (int position = 0; position < list.Count() && written; ++position) {
        DecodeTelegramRow(ctx, position, row);
        AppendRowLine(out.Text(), row.Caption, row.Id, row.Service, row.Additional);
        written = out.MaybeFlush();
    }
    written = out.Flush() && written;
    if (!r.Ok()) {
        ReportError(options.Input + ": " + r.Message);
        return kExitFileError;
    }
    if (!written) {
        ReportError("cannot write the output");
        return kExitFileError;
    }
    return kExitOk;
}

} // namespace protmon::cli
