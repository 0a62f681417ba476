#include "app/protmon-cli/commands.h"
#include "files/file_io.h"
#include "files/recording_file.h"

#include <cerrno>

namespace protmon::cli {

void ReportError(const std::string& text) {
    std::fprintf(stderr, "protmon-cli: %s\n", text.c_str());
}

namespace {

int outputError = 0;

} // namespace

bool TOutputBuffer::Flush() {
    if (!failed_ && !text_.empty() &&
        std::fwrite(text_.data(), 1, text_.size(), out_) != text_.size())
        failed_ = true;
    text_.clear();
    if (!failed_ && std::fflush(out_) != 0)
        failed_ = true;
    if (failed_ && outputError == 0)
        outputError = errno != 0 ? errno : EIO;
    return !failed_;
}

void ReportOutputError() {
    ReportError("cannot write the output: " + SystemReason(outputError));
}

int FinishOutput(int status) {
    // Text still in stdio's buffer (help, version, a summary) is written only now; a failure
    // there is a failed command as much as any other.
    const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    if (!flushed && outputError == 0)
        outputError = errno != 0 ? errno : EIO;
    if (flushed || status != kExitOk)
        return status;
    ReportOutputError();
    return kExitFileError;
}

int RunInfo(const TCliOptions& options) {
    TMonitorFileInfo info;
    const TMonitorFileResult r = ReadRecordingInfo(options.Input, info);
    TOutputBuffer out(stdout);
    std::string& text = out.Text();
    if (info.Version >= 0) {
        text += "Version: " + std::to_string(info.Version) + "\n";
        const int first = info.Version == 1 ? kTimeStampResolution : kEntryCount;
        const int last = info.Version == 1 ? info.FieldsRead : kHeaderFieldCount;
        for (int f = first; f < last; ++f)
            text += std::string(HeaderFieldName(f)) + ": " +
                    std::to_string(info.Header[static_cast<std::size_t>(f)]) + "\n";
        // A cut file or one with stray bytes shows what it holds before the warning.
        if (info.Version == 0 || info.FieldsRead == kHeaderFieldCount)
            text += "EntriesInFile: " + std::to_string(info.EntriesPresent) + "\n";
    }
    const bool written = out.Flush();
    if (!r.Ok()) {
        ReportError(options.Input + ": " + r.Text());
        return kExitFileError;
    }
    if (!written) {
        ReportOutputError();
        return kExitFileError;
    }
    return kExitOk;
}

} // namespace protmon::cli
