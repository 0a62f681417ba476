#include "app/protmon-cli/cli_options.h"
#include "app/protmon-cli/commands.h"
#include "build_info.h"

#include <cstdio>

using namespace protmon::cli;

namespace {

int Run(const TCliOptions& options) {
    if (!CheckOutputs(options))
        return kExitFileError;
    switch (options.Cmd) {
    case Command::Info:
        return RunInfo(options);
    case Command::Decode:
        return RunDecode(options);
    case Command::Assemble:
        return RunAssemble(options);
    case Command::Capture:
        return RunCapture(options);
    case Command::Stats:
        return RunStats(options);
    case Command::Export:
        return RunExport(options);
    case Command::Values:
        return RunValues(options);
    case Command::Record:
        return RunRecord(options);
    case Command::Detect:
        return RunDetect(options);
    case Command::None:
        break;
    }
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    if (IsExtcapCall(argc, argv))
        return FinishOutput(RunExtcap(argc, argv));
    TCliOptions options;
    std::string error;
    if (ParseCliOptions(argc, argv, options, error) != kExitOk) {
        ReportError(error);
        const std::string command = options.Cmd == Command::None
                                        ? std::string()
                                        : std::string(" ") + CommandName(options.Cmd);
        std::fprintf(stderr, "Try 'protmon-cli%s --help'.\n", command.c_str());
        return kExitUsage;
    }
    if (options.Version) {
        std::puts("protmon-cli " PROTMON_VERSION);
        return FinishOutput(kExitOk);
    }
    if (options.Help) {
        std::fputs(UsageText(options.Cmd).c_str(), stdout);
        return FinishOutput(kExitOk);
    }
    return FinishOutput(Run(options));
}
