#include "app/protmon-cli/commands.h"
#include "files/monitor_file.h"
#include "session/session.h"

#include <fstream>
#include <iterator>

namespace protmon::cli {

namespace {

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int RunAssemble(const TCliOptions& options) {
    std::vector<std::uint8_t> input;
    if (!ReadWholeFile(options.Input, input)) {
        ReportError(options.Input + ": cannot read the input");
        return kExitFileError;
    }
    TCliHost host;
    TMonitorSession session(host);
    session.TelegramList().SetBufferDepth(options.BufferDepth);
    session.Settings().Selection = options.AssembleProtocol;
    session.Settings().PortText = options.Input;
    if (options.LineMonitor)
        session.SetMonitorBox(true);
    const std::size_t chunk =
        options.Chunk > 0 ? static_cast<std::size_t>(options.Chunk) : input.size();
    if (!session.Replay(input, chunk))
        return kExitFileError;
    const TMonitorFileResult r =
        SaveMonitorFile(options.Output, session.TelegramList(), session.Settings());
    if (!r.Ok()) {
        ReportError(options.Output + ": " + r.Message);
        return kExitFileError;
    }
    return kExitOk;
}

} // namespace protmon::cli
