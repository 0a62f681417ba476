#include "app/protmon-cli/capture_sources.h"
#include "app/protmon-cli/commands.h"
#include "app/protmon-cli/metrics_server.h"
#include "build_info.h"
#include "capture/raw_assembler.h"
#include "decode/decode_row.h"
#include "files/row_export.h"
#include "session/recorder.h"
#include "session/recorder_folder.h"
#include "session/recorder_metrics.h"
#include "session/session.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>

namespace protmon::cli {

namespace {

using Clock = std::chrono::steady_clock;

enum class TRecordEnd { Signal, Trigger, DeviceLost, WriteError };

void SetUp(TMonitorSession& session, const TCliOptions& o) {
    SetUpCapture(session, o);
    // Every capture (also after a reconnect) starts with an empty list: its entries are all new.
    session.SetClearBeforeStart(true);
    if (o.Record.TriggerGiven) {
        session.IncludeFilter() = o.Record.Trigger;
        session.ApplyTrigger({true, std::to_string(o.Record.TriggerDelay)});
    }
}

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

std::string
LocalTimeText(std::chrono::system_clock::time_point at = std::chrono::system_clock::now()) {
    const std::time_t now = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// Prints the rows of the entries written, as `capture` does.
class TRowPrinter {
public:
    TRowPrinter(const TTelegramList& list, const TCaptureSettings& settings, bool hex, bool quiet)
        : list_(list), settings_(settings), hex_(hex), out_(stdout), quiet_(quiet) {}
    void Print(int position) {
        if (quiet_)
            return;
        // Made afresh: the settings may change during the capture.
        TDecodeContext ctx = MakeDecodeContext(list_, settings_);
        ctx.HexDisplay = hex_;
        DecodeTelegramRow(ctx, position, row_);
        AppendRowLine(out_.Text(), row_.Caption, row_.Id, row_.Service, row_.Additional);
    }
    bool Flush() { return quiet_ || out_.Flush(); }

private:
    const TTelegramList& list_;
    const TCaptureSettings& settings_;
    bool hex_;
    TRowTexts row_;
    TOutputBuffer out_;
    bool quiet_;
};

// The state of the recording on stderr every `interval` seconds.
class TStatusLine {
public:
    explicit TStatusLine(double interval) : interval_(interval), last_(Clock::now()) {}
    void Tick(const TMonitorSession& session, const TRecorder& recorder) {
        if (interval_ <= 0 ||
            std::chrono::duration<double>(Clock::now() - last_).count() < interval_)
            return;
        last_ = Clock::now();
        const TCaptureSummary s = session.Summary();
        std::fprintf(
            stderr, "Recording: %lld entries, RxErrors:%d, %llu dropped, ", recorder.Written(),
            s.RxErrors,
            static_cast<unsigned long long>(s.RingDrops + s.SystemDrops + recorder.Lost()));
        if (s.Datagrams)
            std::fprintf(stderr, "%llu bad datagrams, ",
                         static_cast<unsigned long long>(s.BadDatagrams));
        // Before the first entry no file is made yet.
        const std::string& file = recorder.CurrentFile();
        std::fprintf(stderr, "file %s\n", file.empty() ? "(none yet)" : file.c_str());
    }

private:
    double interval_;
    Clock::time_point last_;
};

// A raw chunk still filling is written once it is full or the capture ended.
bool NewestFilling(const TTelegramList& list, const TCaptureSettings& settings) {
    if (settings.Selection != Protocol::Raw || settings.Monitor || list.Count() == 0)
        return false;
    return list.Newest()->Data[0] < TRawAssembler::kBytesPerEntry;
}

// Over UDP a box that went away says nothing, and neither does one that now sends to another
// program: a capture that received no datagram at all for `seconds` is silent. Off (0) but for
// --udp. The time of the last datagram is when the box went away.
class TSilenceWatch {
public:
    TSilenceWatch(const TMonitorSession& session, double seconds)
        : session_(session), seconds_(seconds), count_(session.UdpDatagramsReceived()),
          since_(Clock::now()), sinceWall_(std::chrono::system_clock::now()) {}
    bool Silent() {
        if (seconds_ <= 0)
            return false;
        const std::uint64_t count = session_.UdpDatagramsReceived();
        if (count != count_) {
            count_ = count;
            since_ = Clock::now();
            sinceWall_ = std::chrono::system_clock::now();
            return false;
        }
        return std::chrono::duration<double>(Clock::now() - since_).count() >= seconds_;
    }
    Clock::time_point LastData() const { return since_; }
    std::chrono::system_clock::time_point LastDataWall() const { return sinceWall_; }

private:
    const TMonitorSession& session_;
    double seconds_;
    std::uint64_t count_;
    Clock::time_point since_;
    std::chrono::system_clock::time_point sinceWall_;
};

bool StartCapture(TMonitorSession& session) {
    session.StartStop(true);
    return session.Capturing();
}

struct TRecordRun {
    TMonitorSession& Session;
    TRecorder& Recorder;
    TRowPrinter& Printer;
    TStatusLine& Status;
    TRecorderMetrics* Metrics; // nullptr without --metrics
    double Silence;            // seconds without a datagram that are reported; 0: not watched
    bool ReconnectGiven;       // silence then means the box is gone
    Clock::time_point LostAt{};
    std::string LostText;

    bool Drain(bool final) {
        const TTelegramList& list = Session.TelegramList();
        const bool hold = !final && NewestFilling(list, Session.Settings());
        const Clock::time_point now = Clock::now();
        const bool ok = Recorder.Drain(list, hold, [this, &list, now](int p) {
            Printer.Print(p);
            if (Metrics != nullptr) {
                Metrics->FileBegun(Recorder.FilesBegun());
                Metrics->Add(*list.At(p), now);
            }
        });
        TickMetrics();
        return Printer.Flush() && ok;
    }

    // The source's state is read only when a snapshot is due.
    void TickMetrics() {
        if (Metrics == nullptr)
            return;
        const Clock::time_point now = Clock::now();
        if (Metrics->PublishDue(now)) {
            const TCaptureSummary s = Session.Summary();
            Metrics->SetSource({Session.Capturing(), s.RingDrops, Recorder.Lost(), s.SystemDrops});
        }
        Metrics->Tick(now);
    }

    void CaptureStarted() {
        if (Metrics != nullptr)
            Metrics->NewCapture(Session.Settings());
    }

    // Said at once, with the file and the reason; the capture stops.
    TRecordEnd WriteError() {
        ReportError(Recorder.FailureText());
        return TRecordEnd::WriteError;
    }

    void NoteLost(Clock::time_point at, std::chrono::system_clock::time_point wall) {
        LostAt = at;
        LostText = LocalTimeText(wall);
    }

    // Without --reconnect a silence is only reported (another program may have taken the
    // stream); true when it means the box is gone.
    bool SilenceEnds(TSilenceWatch& watch, bool& warned) {
        if (!watch.Silent()) {
            if (warned)
                ReportError("datagrams from the line monitor again at " + LocalTimeText());
            warned = false;
            return false;
        }
        if (ReconnectGiven) {
            NoteLost(watch.LastData(), watch.LastDataWall());
            ReportError("no datagram from the line monitor for " + SecondsText(Silence));
            return true;
        }
        if (!warned)
            ReportError("no datagram from the line monitor for " + SecondsText(Silence) +
                        " since " + LocalTimeText(watch.LastDataWall()) +
                        "; another program may be receiving its stream");
        warned = true;
        return false;
    }

    // Polls and writes until the capture ends, a signal ends it or a file cannot be written.
    TRecordEnd Capture() {
        TTelegramList& list = Session.TelegramList();
        TSilenceWatch silence(Session, Silence);
        bool silent = false;
        bool warned = false;
        while (Session.Capturing()) {
            if (StopRequested())
                break;
            if (SilenceEnds(silence, warned)) {
                silent = true;
                break;
            }
            if (TakeNextFileRequest() && !Recorder.NextFile())
                return WriteError();
            const TTelEntry* before = list.Count() > 0 ? list.GetLastTelEntry() : nullptr;
            const int count = list.Count();
            Session.PollTick();
            if (!Drain(false))
                return WriteError();
            Status.Tick(Session, Recorder);
            if (list.Count() == count && (count == 0 || list.GetLastTelEntry() == before))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // Stopping waits for the box's answer: the loss is dated before that.
        if (!silent)
            NoteLost(Clock::now(), std::chrono::system_clock::now());
        Session.StartStop(false);
        if (!Drain(true))
            return WriteError();
        const TCaptureEnd end = Session.Summary().End;
        if (silent)
            return TRecordEnd::DeviceLost;
        if (end == TCaptureEnd::Trigger)
            return TRecordEnd::Trigger;
        if (end == TCaptureEnd::DeviceLost)
            return TRecordEnd::DeviceLost;
        // A stop by the device (line-monitor overrun) loses data as a lost device does.
        return StopRequested() ? TRecordEnd::Signal : TRecordEnd::DeviceLost;
    }

    // Once a second until the device is back; false when a signal ended the waiting.
    bool Reconnect() {
        ReportError("the device went away at " + LostText + "; trying to reopen it once a second");
        TickMetrics();
        while (!StopRequested()) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            if (StopRequested())
                break;
            const std::uint64_t written = Session.TelegramList().Written();
            if (StartCapture(Session)) {
                Recorder.NewCapture(written);
                CaptureStarted();
                const double gap = std::chrono::duration<double>(Clock::now() - LostAt).count();
                ReportError("the device is back at " + LocalTimeText() + " after a gap of " +
                            std::to_string(static_cast<long long>(gap + 0.5)) + " s (since " +
                            LostText + ")");
                return true;
            }
            TickMetrics();
            ReportError("the device is still gone; retrying");
        }
        return false;
    }
};

void ReportTrigger(const TRecorder& recorder, int delay) {
    const TFileRing::TLocation at = recorder.Locate(delay);
    if (at.Path.empty())
        std::printf("Trigger telegram: no longer in a kept file\n");
    else
        std::printf("Trigger telegram: %s position %lld\n", at.Path.c_str(), at.Position);
    std::fflush(stdout);
}

TRecorderSettings RecorderSettings(const TCliOptions& o) {
    TRecorderSettings s;
    s.Prefix = o.Output;
    s.Format = o.Record.Format == "pcapng" ? RecordingFormat::Pcapng : RecordingFormat::MonitorFile;
    s.Rotation.FileEntries = o.Record.FileEntries;
    s.Rotation.FileSeconds = o.Record.FileSeconds;
    s.Ring = o.Record.Ring;
    return s;
}

// Records capture after capture (one per reconnect) until the recording ends.
TRecordEnd RecordAll(TRecordRun& run, bool reconnect) {
    for (;;) {
        const TRecordEnd end = run.Capture();
        if (end != TRecordEnd::DeviceLost || !reconnect)
            return end;
        if (!run.Recorder.Finish())
            return run.WriteError();
        if (!run.Reconnect())
            return TRecordEnd::Signal;
        if (!run.Recorder.Begin(run.Session.Settings()))
            return run.WriteError();
    }
}

// One recorder per prefix; what a killed one left is finished first and its files count into
// the ring.
bool PrepareFolder(TRecorder& recorder, TPrefixLock& lock, const TRecorderSettings& settings) {
    std::string error;
    if (!lock.Take(settings.Prefix, error)) {
        ReportError(error);
        return false;
    }
    for (const TLeftover& l : RecoverLeftovers(settings.Prefix)) {
        if (l.Error != 0)
            ReportError("cannot finish " + l.Temp +
                        ", left by an earlier recorder: " + std::strerror(l.Error));
        else if (l.Final.empty())
            ReportError("removed " + l.Temp + ", left empty by an earlier recorder");
        else
            ReportError("finished " + l.Temp + ", left by an earlier recorder, as " + l.Final +
                        " (" + std::to_string(l.Entries) + " entries)");
    }
    recorder.AdoptEarlierFiles(EarlierRecordFiles(settings.Prefix, settings.Format));
    return true;
}

} // namespace

int RunRecord(const TCliOptions& options) {
    TCliHost host;
    host.Mute(kTextTriggered);
    TMonitorSession session(host);
    SetUp(session, options);
    if (!SelectSource(session, options))
        return kExitUsage;
    InstallCaptureSignals({.NextFileOnHangup = true});
    const TRecorderSettings settings = RecorderSettings(options);
    TRecorder recorder(settings);
    TPrefixLock lock;
    if (!PrepareFolder(recorder, lock, settings))
        return kExitFileError;
    std::unique_ptr<TRecorderMetrics> metrics;
    std::unique_ptr<TMetricsServer> server;
    if (options.Record.MetricsPort > 0) {
        metrics = std::make_unique<TRecorderMetrics>(PROTMON_VERSION, Clock::now());
        metrics->Flush(Clock::now());
        server = std::make_unique<TMetricsServer>(metrics->Snapshots());
        std::string error;
        if (!server->Start(options.Record.MetricsHost, options.Record.MetricsPort, error)) {
            ReportError(error);
            return kExitFileError;
        }
    }
    const std::uint64_t written = session.TelegramList().Written();
    if (!StartCaptureOrExplain(session, options.Port))
        return kExitFileError;
    recorder.NewCapture(written);
    if (metrics)
        metrics->NewCapture(session.Settings());
    if (!recorder.Begin(session.Settings())) {
        session.StartStop(false);
        ReportError(recorder.FailureText());
        return kExitFileError;
    }
    TRowPrinter printer(session.TelegramList(), session.Settings(), options.Hex,
                        options.Record.Quiet);
    TStatusLine status(options.Record.StatusInterval);
    const double silence = options.Udp.empty() ? 0.0 : options.Record.Silence;
    TRecordRun run{
        session, recorder, printer, status, metrics.get(), silence, options.Record.Reconnect,
        {},      {}};
    const TRecordEnd end = RecordAll(run, options.Record.Reconnect);
    if (session.Capturing())
        session.StartStop(false);
    const bool finished = recorder.Finish();
    if (metrics) {
        const TCaptureSummary s = session.Summary();
        metrics->SetSource({false, s.RingDrops, recorder.Lost(), s.SystemDrops});
        metrics->Flush(Clock::now());
    }
    if (!finished && end != TRecordEnd::WriteError)
        ReportError(recorder.FailureText());
    TCaptureSummary summary = session.Summary();
    summary.Entries = recorder.Written();
    // Entries the list overwrote before they reached a file were dropped by a full ring too.
    summary.RingDrops += recorder.Lost();
    if (end == TRecordEnd::Signal)
        summary.End = TCaptureEnd::Signal;
    const bool failed = end == TRecordEnd::WriteError || !finished;
    if (failed)
        summary.End = TCaptureEnd::WriteError;
    std::fputs(SummaryText(summary).c_str(), stderr);
    std::fputs(BadDatagramsText(summary).c_str(), stderr);
    if (failed)
        return kExitFileError;
    if (end == TRecordEnd::Trigger) {
        recorder.KeepBefore(options.Record.KeepBefore);
        ReportTrigger(recorder, options.Record.TriggerDelay);
    }
    return end == TRecordEnd::DeviceLost ? kExitDeviceLost : kExitOk;
}

} // namespace protmon::cli
