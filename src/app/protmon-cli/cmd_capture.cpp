#include "app/protmon-cli/capture_sources.h"
#include "app/protmon-cli/commands.h"
#include "capture/capture_control.h"
#include "capture/raw_assembler.h"
#include "decode/decode_row.h"
#include "files/monitor_file.h"
#include "files/row_export.h"
#include "model/list_cursor.h"
#include "session/session.h"

#include <chrono>
#include <thread>

namespace protmon::cli {

namespace {

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

// Prints the entries written since the last call, in arrival order, at most `limit` rows in all
// (0: no limit). A raw chunk still filling is held back until it is full or the capture ends, so
// that every row is printed once and complete. Entries the list overwrote before they were
// printed are counted, as the recorder counts those that never reached a file.
class TLivePrinter {
public:
    // `written`: the list's Written() before the capture started.
    TLivePrinter(const TTelegramList& list, const TCaptureSettings& settings, bool hex,
                 long long limit, std::uint64_t written)
        : list_(list), settings_(settings), hex_(hex), out_(stdout), limit_(limit) {
        cursor_.StartAt(written);
    }
    bool PrintNew(bool final = false) {
        // Made afresh: the settings may change during the capture.
        TDecodeContext ctx = MakeDecodeContext(list_, settings_);
        ctx.HexDisplay = hex_;
        const TTelEntry* newest = list_.Newest();
        const bool hold = !final && newest != nullptr && Filling(*newest);
        cursor_.TakeNew(list_, hold, positions_);
        for (const int position : positions_) {
            if (LimitReached())
                break;
            DecodeTelegramRow(ctx, position, row_);
            AppendRowLine(out_.Text(), row_.Caption, row_.Id, row_.Service, row_.Additional);
            ++printed_;
        }
        return out_.Flush();
    }
    bool LimitReached() const { return limit_ > 0 && printed_ >= limit_; }
    std::uint64_t Lost() const { return cursor_.Lost(); }

private:
    bool Filling(const TTelEntry& e) const {
        return settings_.Selection == Protocol::Raw && !settings_.Monitor &&
               e.Data[0] < TRawAssembler::kBytesPerEntry;
    }

    const TTelegramList& list_;
    const TCaptureSettings& settings_;
    bool hex_;
    TRowTexts row_;
    TOutputBuffer out_;
    TListCursor cursor_;
    std::vector<int> positions_;
    long long limit_;
    long long printed_ = 0;
};

// Polls until the capture ends by itself, by the count, the time or a signal, printing each
// entry; then stops. The end as the tool saw it (Running: the capture ended by itself).
CaptureEnd RunLoop(TMonitorSession& session, const TCliOptions& options, TCountLimit& limit,
                   std::uint64_t writtenBefore, std::uint64_t& lost) {
    const TTelegramList& list = session.TelegramList();
    TLivePrinter printer(list, session.Settings(), options.Hex, options.Count, writtenBefore);
    const auto start = std::chrono::steady_clock::now();
    const auto limitTime = std::chrono::duration<double>(options.Seconds);
    CaptureEnd end = CaptureEnd::Running;
    bool written = true;
    while (session.Capturing() && written) {
        if (StopRequested()) {
            end = CaptureEnd::Signal;
            break;
        }
        // Raw capture never reaches the trigger path; its count ends with the printed rows.
        if (printer.LimitReached()) {
            end = CaptureEnd::Count;
            break;
        }
        const std::uint64_t before = list.Written();
        session.PollTick();
        written = printer.PrintNew();
        if (options.Seconds > 0 && std::chrono::steady_clock::now() - start >= limitTime) {
            end = CaptureEnd::Time;
            break;
        }
        if (list.Written() == before)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Whatever the last tick wrote is printed before Stop puts the list in order.
    written = printer.PrintNew(true) && written;
    lost = printer.Lost();
    if (!written)
        end = CaptureEnd::OutputError;
    else if (end == CaptureEnd::Running && limit.Reached())
        end = CaptureEnd::Count;
    session.StartStop(false);
    return end;
}

// The closing summary on stderr, and as JSON in `jsonFile` when given.
bool ReportSummary(const TCaptureSummary& summary, const std::string& jsonFile) {
    std::fputs(SummaryText(summary).c_str(), stderr);
    std::fputs(BadDatagramsText(summary).c_str(), stderr);
    if (jsonFile.empty())
        return true;
    const std::string json = SummaryJson(summary);
    TSafeFileWriter file;
    if (file.Open(jsonFile)) {
        file.Write(json.data(), json.size());
        if (file.Commit())
            return true;
    }
    ReportError("cannot write " + jsonFile + ": " + SystemReason(file.Error()));
    return false;
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

    InstallCaptureSignals({});
    const std::uint64_t written = session.TelegramList().Written();
    if (!StartCaptureOrExplain(session, options.Port))
        return kExitFileError;
    std::uint64_t lost = 0;
    const CaptureEnd end = RunLoop(session, options, limit, written, lost);
    TCaptureSummary summary = session.Summary();
    // Entries the list overwrote before they were printed were dropped by a full ring too.
    summary.RingDrops += lost;
    if (end != CaptureEnd::Running)
        summary.End = end;
    const bool summarised = ReportSummary(summary, options.SummaryJson);
    if (summary.End == CaptureEnd::OutputError) {
        ReportOutputError();
        return kExitFileError;
    }
    if (!options.Output.empty()) {
        const TMonitorFileResult r =
            SaveMonitorFile(options.Output, session.TelegramList(), session.Settings());
        if (!r.Ok()) {
            ReportError(WriteFailureText(options.Output, r));
            return kExitFileError;
        }
    }
    if (!summarised)
        return kExitFileError;
    // A recording cut short by a vanished device is told apart from a complete one.
    return summary.End == CaptureEnd::DeviceLost ? kExitDeviceLost : kExitOk;
}

} // namespace protmon::cli
