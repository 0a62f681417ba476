#include "app/protmon-cli/capture_sources.h"
#include "app/protmon-cli/commands.h"
#include "capture/raw_assembler.h"
#include "decode/decode_row.h"
#include "files/monitor_file.h"
#include "files/row_export.h"
#include "session/session.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace protmon::cli {

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int) {
    stopRequested = true;
}

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Ends the capture once `limit` entries were written, through the trigger path, so that the
// assembler stops right behind the last one and the Stop sequence runs.
class TCountLimit : public ITriggerHook {
public:
    explicit TCountLimit(long long limit) : limit_(limit) {}
    void ArmTrigger() override { written_ = 0; }
    bool TriggerCheck(const TTelEntry&) override { return limit_ > 0 && ++written_ >= limit_; }
    int TriggerPosition(int count) const override { return count - 1; }
    bool Reached() const { return limit_ > 0 && written_ >= limit_; }

private:
    long long limit_;
    long long written_ = 0;
};

// Prints the entries written since the last call, in ring order like the window's live display,
// at most `limit` rows in all (0: no limit). A raw chunk still filling is held back until it is
// full or the capture ends, so that every row is printed once and complete.
class TLivePrinter {
public:
    TLivePrinter(const TTelegramList& list, const TCaptureSettings& settings, bool hex,
                 long long limit)
        : list_(list), settings_(settings), out_(stdout), limit_(limit) {
        ctx_.List = &list;
        ctx_.HexDisplay = hex;
    }
    bool PrintNew(bool final = false) {
        ctx_.Selection = settings_.Selection;
        ctx_.SourceFlags = settings_.SourceFlags;
        const int count = list_.Count();
        int target = list_.WriteIndex() >= 1 ? list_.WriteIndex() : count;
        if (!final && target > 0 && Filling(*list_.At(target - 1)))
            --target;
        while (next_ != target && count > 0 && !LimitReached()) {
            if (next_ >= count)
                next_ = 0;
            if (next_ == target)
                break;
            DecodeTelegramRow(ctx_, next_, row_);
            AppendRowLine(out_.Text(), row_.Caption, row_.Id, row_.Service, row_.Additional);
            ++next_;
            ++printed_;
        }
        return out_.Flush();
    }
    bool LimitReached() const { return limit_ > 0 && printed_ >= limit_; }

private:
    const TTelegramList& list_;
    const TCaptureSettings& settings_;
    TDecodeContext ctx_;
    TRowTexts row_;
    bool Filling(const TTelEntry& e) const {
        return settings_.Selection == Protocol::Raw && !settings_.Monitor &&
               e.Data[0] < TRawAssembler::kBytesPerEntry;
    }

    TOutputBuffer out_;
    long long limit_;
    int next_ = 0;
    long long printed_ = 0;
};

// Polls until the capture ends by itself, by the count, the time or a signal, printing each
// entry; then stops. The end as the tool saw it (Running: the capture ended by itself).
TCaptureEnd RunLoop(TMonitorSession& session, const TCliOptions& options, TCountLimit& limit) {
    TTelegramList& list = session.TelegramList();
    TLivePrinter printer(list, session.Settings(), options.Hex, options.Count);
    const auto start = std::chrono::steady_clock::now();
    const auto limitTime = std::chrono::duration<double>(options.Seconds);
    TCaptureEnd end = TCaptureEnd::Running;
    bool written = true;
    while (session.Capturing() && written) {
        if (stopRequested) {
            end = TCaptureEnd::Signal;
            break;
        }
        // Raw capture never reaches the trigger path; its count ends with the printed rows.
        if (printer.LimitReached()) {
            end = TCaptureEnd::Count;
            break;
        }
        const int before = list.Count() + list.WriteIndex();
        session.PollTick();
        written = printer.PrintNew();
        if (options.Seconds > 0 && std::chrono::steady_clock::now() - start >= limitTime) {
            end = TCaptureEnd::Time;
            break;
        }
        if (list.Count() + list.WriteIndex() == before)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Whatever the last tick wrote is printed before Stop puts the list in order.
    written = printer.PrintNew(true) && written;
    if (!written)
        end = TCaptureEnd::OutputError;
    else if (end == TCaptureEnd::Running && limit.Reached())
        end = TCaptureEnd::Count;
    session.StartStop(false);
    return end;
}

// The closing summary on stderr, and as JSON in `jsonFile` when given.
bool ReportSummary(const TCaptureSummary& summary, const std::string& jsonFile) {
    std::fputs(SummaryText(summary).c_str(), stderr);
    if (jsonFile.empty())
        return true;
    std::FILE* f = std::fopen(jsonFile.c_str(), "w");
    const bool ok = f != nullptr && std::fputs(SummaryJson(summary).c_str(), f) >= 0;
    if ((f != nullptr && std::fclose(f) != 0) || !ok) {
        ReportError(jsonFile + ": cannot write the summary");
        return false;
    }
    return true;
}

} // namespace

int RunCapture(const TCliOptions& options) {
    TCliHost host;
    host.Mute(kTextTriggered);
    TMonitorSession session(host);
    SetUpCapture(session, options);
    TCountLimit limit(options.Count);
    session.SetTriggerHook(limit);
    if (!SelectSource(session, options))
        return kExitUsage;

    InstallStopSignals();
    if (!StartCaptureOrExplain(session, options.Port))
        return kExitFileError;
    const TCaptureEnd end = RunLoop(session, options, limit);
    TCaptureSummary summary = session.Summary();
    if (end != TCaptureEnd::Running)
        summary.End = end;
    const bool summarised = ReportSummary(summary, options.SummaryJson);
    if (summary.End == TCaptureEnd::OutputError) {
        ReportError("cannot write the output");
        return kExitFileError;
    }
    if (!options.Output.empty()) {
        const TMonitorFileResult r =
            SaveMonitorFile(options.Output, session.TelegramList(), session.Settings());
        if (!r.Ok()) {
            ReportError(options.Output + ": " + r.Message);
            return kExitFileError;
        }
    }
    if (!summarised)
        return kExitFileError;
    // A recording cut short by a vanished device is told apart from a complete one.
    return summary.End == TCaptureEnd::DeviceLost ? kExitDeviceLost : kExitOk;
}

} // namespace protmon::cli
