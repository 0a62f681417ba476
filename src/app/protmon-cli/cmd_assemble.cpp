#include "app/protmon-cli/commands.h"
#include "files/file_io.h"
#include "files/monitor_file.h"
#include "session/session.h"

namespace protmon::cli {

namespace {

// The whole input, read as the reading commands read: a FIFO or a folder is refused at once
// (a FIFO that nobody writes would otherwise keep the command waiting in open). False with the
// reason in `why`.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& why) {
    TBufferedFileReader in;
    if (!in.Open(path)) {
        why = in.Reason();
        return false;
    }
    bytes.resize(static_cast<std::size_t>(in.Size()));
    bytes.resize(in.Read(bytes.data(), bytes.size()));
    if (in.Close())
        return true;
    why = in.Reason();
    return false;
}

} // namespace

int RunAssemble(const TCliOptions& options) {
    std::vector<std::uint8_t> input;
    std::string why;
    if (!ReadWholeFile(options.Input, input, why)) {
        ReportError(options.Input + ": cannot read the input: " + why);
        return kExitFileError;
    }
    TCliHost host;
    TMonitorSession session(host);
    session.SetBufferDepth(options.BufferDepth);
    TCaptureSettings settings = session.Settings();
    settings.Selection = options.AssembleProtocol;
    settings.PortText = options.Input;
    session.ApplySettings(settings);
    if (options.LineMonitor)
        session.SetMonitorBox(true);
    const std::size_t chunk =
        options.Chunk > 0 ? static_cast<std::size_t>(options.Chunk) : input.size();
    if (!session.Replay(input, chunk))
        return kExitFileError;
    const TMonitorFileResult r =
        SaveMonitorFile(options.Output, session.TelegramList(), session.Settings());
    if (!r.Ok()) {
        ReportError(WriteFailureText(options.Output, r));
        return kExitFileError;
    }
    return kExitOk;
}

} // namespace protmon::cli
