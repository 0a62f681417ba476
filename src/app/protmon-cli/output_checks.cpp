#include "app/protmon-cli/commands.h"
#include "files/file_io.h"

namespace protmon::cli {

namespace {

// Record's -o is the prefix of the names it makes; the rest are whole file names.
bool PrefixOnly(const TCliOptions& options) {
    return options.Cmd == Command::Record;
}

bool CheckOutputName(const std::string& output, bool prefix) {
    if (prefix) {
        // "dir/" would make files named "dir/-2026...": the prefix needs a name of its own.
        if (!output.empty() && output.back() == '/') {
            ReportError("-o " + output + ": a folder, not a file name prefix (e.g. " + output +
                        "rec)");
            return false;
        }
        return true;
    }
    if (output == kStdoutName || OutputNameError(output) == 0)
        return true;
    ReportError("cannot write " + output + ": " + SystemReason(OutputNameError(output)));
    return false;
}

} // namespace

bool CheckOutputs(const TCliOptions& options) {
    const std::string* outputs[] = {&options.Output, &options.SummaryJson};
    const std::string* inputs[] = {&options.Input, &options.Port, &options.Descriptions};
    for (const std::string* output : outputs) {
        if (output->empty())
            continue;
        if (!CheckOutputName(*output, output == &options.Output && PrefixOnly(options)))
            return false;
        // Standard output may itself be the input (`>> in.bu5`).
        const std::string& written = *output == kStdoutName ? "/dev/stdout" : *output;
        for (const std::string* input : inputs)
            if (SameFile(written, *input)) {
                ReportError(*output + ": the output would overwrite the input");
                return false;
            }
    }
    return true;
}

} // namespace protmon::cli
