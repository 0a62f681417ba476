#pragma once

#include "app/protmon-cli/cli_options.h"
#include "descriptions/cfg_list.h"
#include "model/host.h"

#include <cstdio>
#include <string>

namespace protmon::cli {

int RunInfo(const TCliOptions& options);
int RunDecode(const TCliOptions& options);
int RunAssemble(const TCliOptions& options);
int RunCapture(const TCliOptions& options);
int RunStats(const TCliOptions& options);
int RunExport(const TCliOptions& options);
int RunValues(const TCliOptions& options);
int RunRecord(const TCliOptions& options);
int RunDetect(const TCliOptions& options);
// Wireshark's extcap calls: `protmon-cli extcap ...`, or the program run as protmon-extcap.
bool IsExtcapCall(int argc, char** argv);
int RunExtcap(int argc, char** argv);

// Decimal separator of the environment's LC_NUMERIC for scaled values; the tool itself keeps the
// "C" locale.
char EnvironmentDecimalSeparator();
// Loads the description set of --descriptions and its language file into `sets`; false after
// reporting why not.
bool LoadDecoderSet(const TCliOptions& options, TZXCfgList& sets, int& index);

// A capture that ended because the device went away: the recording was written but is
// incomplete.
inline constexpr int kExitDeviceLost = 3;

// "protmon-cli: " + text on stderr.
void ReportError(const std::string& text);
// "cannot write the output: " and the system's reason of the first failed write to stdout.
void ReportOutputError();
// The exit status once the command returned `status`: a failed write of what stdio still holds
// for stdout turns success into kExitFileError.
int FinishOutput(int status);
// Refuses outputs that would destroy something: a folder as output file, an output that is one
// of the inputs. False after saying why.
bool CheckOutputs(const TCliOptions& options);

// Message boxes of the capture go to stderr; questions are answered with OK.
class TCliHost : public IHost {
public:
    void ShowInfo(const std::string& text) override {
        if (text != muted_)
            ReportError(text);
    }
    void ShowError(const std::string& text) override { ReportError(text); }
    // The detail on a line of its own: the reason, or what to do about it.
    void ShowErrorDetail(const std::string& text, const std::string& detail) override {
        ReportError(text);
        ReportError(detail);
    }
    bool Confirm(const std::string&) override { return true; }
    void SetBusy(bool) override {}
    void ProcessPendingEvents() override {}
    // A message the tool causes itself and that would only confuse (e.g. its own stop).
    void Mute(std::string text) { muted_ = std::move(text); }

private:
    std::string muted_;
};

// Collects output in one large buffer and writes it in big blocks.
class TOutputBuffer {
public:
    explicit TOutputBuffer(std::FILE* out) : out_(out) { text_.reserve(kFlushSize * 2); }
    std::string& Text() { return text_; }
    // Writes the buffer once it is large; false after a write error.
    bool MaybeFlush() { return text_.size() < kFlushSize || Flush(); }
    bool Flush();

private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    std::FILE* out_;
    std::string text_;
    bool failed_ = false;
};

} // namespace protmon::cli
