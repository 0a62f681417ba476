#include "detect/line_detector.h"

#include "capture/capture_control.h"
#include "capture/capture_link.h"
#include "capture/line_monitor.h"
#include "capture/udp_source.h"
#include "detect/port_state.h"

#include <algorithm>
#include <thread>

namespace protmon {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kPollStep{5};
// After a change of setting, what is still on its way was received at the old one.
constexpr std::chrono::milliseconds kSettle{10};
// A setting that looks promising but has too little evidence yet gets up to this many more
// windows.
constexpr int kMaxExtensions = 4;
// The box answers within a few ms on a pty or the network; a silent one costs ten steps.
constexpr std::chrono::milliseconds kBoxReplyStep{20};
constexpr int kStopAttempts = 7;
constexpr std::chrono::milliseconds kWarmUp{500};
constexpr int kScratchDepth = 16;

std::chrono::milliseconds WindowFor(const TLineSetting& s) {
    const int ms = 80 * 11 * 1000 / std::max(1, s.Baud); // 80 characters of up to 11 bits
    return std::max(TLineDetector::kMinWindow, std::chrono::milliseconds(ms));
}

} // namespace

// The candidates of one detection run, their evidence, the clock and the caller's progress.
class TLineDetector::TSweep {
public:
    TSweep(std::vector<TLineSetting> settings, DetectPath path, double seconds,
           const DetectProgress& progress)
        : settings_(std::move(settings)), path_(path), progress_(progress), start_(Clock::now()),
          deadline_(start_ + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(seconds))) {
        for (std::size_t i = 0; i < settings_.size(); ++i)
            collectors_.push_back(std::make_unique<TEvidenceCollector>());
    }

    std::size_t Count() const { return settings_.size(); }
    TEvidenceCollector& Collector(std::size_t i) { return *collectors_[i]; }
    const TLineSetting& Setting(std::size_t i) const { return settings_[i]; }
    bool Cancelled() const { return cancelled_; }
    bool Stopped() const { return cancelled_ || done_ || Clock::now() >= deadline_; }
    void Finish() { done_ = true; }

    // Tells the caller how far it is; false once it cancelled.
    bool Tick(std::size_t i) {
        if (cancelled_)
            return false;
        const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
        const double total = std::chrono::duration<double>(deadline_ - start_).count();
        TDetectProgress p;
        p.Fraction = total > 0 ? std::min(1.0, elapsed / total) : 1.0;
        p.Setting = settings_[i];
        if (progress_ && !progress_(p))
            cancelled_ = true;
        return !cancelled_;
    }
    bool Tick() { return Tick(current_); }

    // Listens at setting i for its window (longer while it looks promising), handing what
    // arrives to `read`; stops early once a candidate is clearly ahead.
    template <typename Read>
    void Listen(std::size_t i, Read&& read) {
        current_ = i;
        collectors_[i]->StartWindow();
        const auto window = WindowFor(settings_[i]);
        const auto start = Clock::now();
        auto end = start + window;
        int extensions = 0;
        while (!Stopped()) {
            read(*collectors_[i]);
            if (ClearlyAhead(Candidates(), path_)) {
                done_ = true;
                break;
            }
            if (Clock::now() >= end) {
                if (extensions >= kMaxExtensions || !Promising(i))
                    break;
                ++extensions;
                end += window;
            }
            if (!Tick(i))
                break;
            std::this_thread::sleep_for(kPollStep);
        }
        collectors_[i]->AddSeconds(std::chrono::duration<double>(Clock::now() - start).count());
    }

    // Every candidate of every setting tried so far.
    std::vector<TCandidateResult> Candidates() const {
        std::vector<TCandidateResult> out;
        for (std::size_t i = 0; i < settings_.size(); ++i) {
            for (DetectProtocol p : ProtocolsAt(settings_[i])) {
                TCandidateResult c;
                c.Setting = settings_[i];
                c.Protocol = p;
                c.Evidence = collectors_[i]->Evidence(p);
                if (c.Evidence.Seconds <= 0 && c.Evidence.Bytes == 0 && i != current_)
                    continue;
                c.Score = ScoreCandidate(p, c.Evidence);
                out.push_back(c);
            }
        }
        return out;
    }

    // The next setting of this sweep: the other framings of a rate that heard clean characters
    // first (they decide between the framings), else the next in order.
    std::size_t Next(const std::vector<bool>& done) const {
        std::size_t first = settings_.size();
        for (std::size_t i = 0; i < settings_.size(); ++i) {
            if (done[i])
                continue;
            first = std::min(first, i);
            for (std::size_t j = 0; j < settings_.size(); ++j) {
                const TDetectEvidence e = collectors_[j]->Evidence(DetectProtocol::Raw);
                if (done[j] && settings_[j].Baud == settings_[i].Baud &&
                    e.Bytes >= kRawEvidenceBytes && LooksClean(e))
                    return i;
            }
        }
        return first < settings_.size() ? first : 0;
    }

    double Elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

private:
    // Some good telegrams but not enough yet, or a trickle of characters that neither fits nor
    // is ruled out yet: worth more time.
    bool Promising(std::size_t i) const {
        for (DetectProtocol p : ProtocolsAt(settings_[i])) {
            const TDetectEvidence e = collectors_[i]->Evidence(p);
            if (p != DetectProtocol::Raw && e.Telegrams > 0 && 2 * e.TelegramBytes >= e.Bytes)
                return true;
            // A box marks no errors: its trickles decide nothing.
            if (p == DetectProtocol::Raw && path_ == DetectPath::Direct && e.Bytes > 0 &&
                e.Bytes < kRawEvidenceBytes && e.ErrorBytes < kRejectingErrors)
                return true;
        }
        return false;
    }

    std::vector<TLineSetting> settings_;
    std::vector<std::unique_ptr<TEvidenceCollector>> collectors_;
    DetectPath path_;
    const DetectProgress& progress_;
    Clock::time_point start_;
    Clock::time_point deadline_;
    std::size_t current_ = 0;
    bool cancelled_ = false;
    bool done_ = false;
};

namespace {

// The box's reply waits let events through the host; detection also reports progress there, so
// that a cancel is seen while a command waits.
class TSweepHost : public IHost {
public:
    TSweepHost(IHost& host, std::function<bool()> tick) : host_(host), tick_(std::move(tick)) {}
    void ShowInfo(const std::string&) override {}
    void ShowError(const std::string&) override {}
    bool Confirm(const std::string&) override { return true; }
    void SetBusy(bool) override {}
    void ProcessPendingEvents() override {
        host_.ProcessPendingEvents();
        tick_();
    }

private:
    IHost& host_;
    std::function<bool()> tick_;
};

// Reads what the port has and hands it to the collector; false when the device went away.
bool ReadPort(TSerialCom& port, TEvidenceCollector& c, bool pseudoTerminal) {
    std::uint8_t buf[4096];
    for (;;) {
        int n = 0;
        if (port.Read(buf, sizeof buf, n) != kPortOk)
            return false;
        if (n <= 0)
            break;
        c.FeedMarked(ByteView(buf, static_cast<std::size_t>(n)), pseudoTerminal);
    }
    if (port.TakeError() != kRxNone)
        c.CountErrors(1);
    return true;
}

// At least three characters' time, so a character on its way at the change is gone too.
// Stops the box's monitoring (a data frame may take the place of the reply, so it is repeated)
// and drops what it sent before.
void StopBox(TLineMonitor& monitor, TCaptureLink& link) {
    for (int k = 0; k < kStopAttempts; ++k) {
        if (monitor.LineMonitorCommand(kLmRun, 0) == kPortOk)
            break;
    }
    std::this_thread::sleep_for(kSettle);
    link.Device().Purge();
    link.Buffer().Clear();
}

// Ten characters' time at least, so that what was on its way at the change is gone and the
// receiver has found the characters' edges again.
void Settle(TSerialCom& port, const TLineSetting& s) {
    const auto chars = std::chrono::milliseconds(10 * 11 * 1000 / std::max(1, s.Baud) + 1);
    std::this_thread::sleep_for(std::max(kSettle, chars));
    port.Purge();
}

} // namespace

TDetectOutcome TLineDetector::Run(const TDetectRequest& request, const DetectProgress& progress) {
    TDetectOutcome out;
    const bool box = request.Monitor || request.Udp.has_value();
    out.Path = box ? DetectPath::Box : DetectPath::Direct;
    TSweep sweep(box ? BoxSettings() : DirectSettings(), out.Path, request.Seconds, progress);
    TPortState state;
    if (!request.Udp) {
        out.Status = state.Save(request.Port);
        out.OpenErrno = state.LastErrno();
        if (out.Status != kPortOk)
            return out;
    }
    out.Status =
        box ? RunBox(sweep, request, out) : RunDirect(sweep, request, state.PseudoTerminal(), out);
    state.Restore();
    out.Cancelled = sweep.Cancelled();
    out.Seconds = sweep.Elapsed();
    out.Ranked = sweep.Candidates();
    RankCandidates(out.Ranked);
    out.Verdict = DecideVerdict(out.Ranked, out.Path);
    return out;
}

int TLineDetector::RunDirect(TSweep& sweep, const TDetectRequest& request, bool pseudoTerminal,
                             TDetectOutcome& out) {
    port_.SetMarkErrors(true);
    const TLineSetting& first = sweep.Setting(0);
    int rc = port_.Open(request.Port, first.Baud, first.DataBits, first.Parity, 0);
    if (rc != kPortOk) {
        out.OpenErrno = port_.LastOpenErrno();
        port_.SetMarkErrors(false);
        return rc;
    }
    // A line just opened may take a moment to deliver (a converter or a simulator waking up):
    // the first window starts with the first characters, or after kWarmUp.
    const auto warmUpEnd = Clock::now() + kWarmUp;
    while (rc == kPortOk && Clock::now() < warmUpEnd && sweep.Tick(0) &&
           sweep.Collector(0).Evidence(DetectProtocol::Raw).Bytes == 0) {
        std::this_thread::sleep_for(kPollStep);
        if (!ReadPort(port_, sweep.Collector(0), pseudoTerminal))
            rc = kPortOpenFailed;
    }
    while (!sweep.Stopped() && rc == kPortOk) {
        std::vector<bool> done(sweep.Count());
        for (std::size_t k = 0; k < sweep.Count() && !sweep.Stopped() && rc == kPortOk; ++k) {
            const std::size_t i = sweep.Next(done);
            done[i] = true;
            const TLineSetting& s = sweep.Setting(i);
            if (port_.Reconfigure(s.Baud, s.DataBits, s.Parity, 0) != kPortOk)
                continue; // a rate the device cannot run is no candidate
            Settle(port_, s);
            sweep.Listen(i, [&](TEvidenceCollector& c) {
                if (!ReadPort(port_, c, pseudoTerminal)) {
                    rc = kPortOpenFailed;
                    sweep.Finish();
                }
            });
        }
    }
    port_.Close();
    port_.SetMarkErrors(false);
    return rc;
}

int TLineDetector::RunBox(TSweep& sweep, const TDetectRequest& request, TDetectOutcome& out) {
    TTelegramList list;
    list.SetBufferDepth(kScratchDepth);
    TCaptureSettings settings;
    settings.PortText = request.Port;
    settings.BaudIndex = request.LinkBaudIndex;
    settings.Monitor = true;
    TCaptureLink link(port_);
    TSweepHost host(host_, [&sweep] { return sweep.Tick(); });
    TCaptureControl control(list, link, settings, host);
    TLineMonitor monitor(control, host);
    monitor.SetReplyPollStep(kBoxReplyStep);
    std::unique_ptr<TUdpSource> udp;
    if (request.Udp) {
        udp = std::make_unique<TUdpSource>(*request.Udp);
        ConnectUdpSource(control, *udp);
        if (udp->ActivateListener() != kPortOk)
            return kPortOpenFailed;
    } else {
        const int rc = link.OpenCapturePort(settings, BaudBoxRate(settings.BaudIndex));
        if (rc != kPortOk) {
            out.OpenErrno = port_.LastOpenErrno();
            return rc;
        }
        monitor.SyncLineMonitorBaud();
    }
    int rc = monitor.LineMonitorCommand(kLmPresence, 0) == kPortOk ? kPortOk : kPortNoAnswer;
    if (rc == kPortOk && !request.Udp)
        out.LinkBaudIndex = settings.BaudIndex;
    while (rc == kPortOk && !sweep.Stopped()) {
        std::vector<bool> done(sweep.Count());
        for (std::size_t k = 0; k < sweep.Count() && !sweep.Stopped(); ++k) {
            const std::size_t i = sweep.Next(done);
            done[i] = true;
            // Data frames start with the reply's marker: stop them before the next commands.
            StopBox(monitor, link);
            ApplyBoxSetting(settings.LineMonitor, sweep.Setting(i));
            if (monitor.ConfigureLineMonitor() != kPortOk)
                continue; // refused: the box cannot listen so
            sweep.Listen(i, [&](TEvidenceCollector& c) {
                TReceiveBuffer& b = link.Buffer();
                while (monitor.LineMonitorReceiveFrame()) {
                    c.FeedFrame(b.View().sub(0, static_cast<std::size_t>(b.At(3)) + 3));
                    b.Clear();
                }
            });
        }
    }
    if (rc != kPortNoAnswer)
        StopBox(monitor, link);
    link.CloseCapturePort();
    return rc;
}

} // namespace protmon
