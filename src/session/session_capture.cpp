#include "capture/com_ports.h"
#include "capture/memory_port_device.h"
#include "session/session.h"
#include "session/session_capture_parts.h"

#include <algorithm>
#include <utility>

namespace protmon {

namespace {

// Remembers whether any tick wrote an entry, which decides when a replay is over.
class TWriteWatch : public ICaptureAssembler {
public:
    explicit TWriteWatch(ICaptureAssembler& inner) : inner_(inner) {}
    TAssembleResult Assemble() override {
        const TAssembleResult r = inner_.Assemble();
        wrote_ = wrote_ || r.Wrote;
        return r;
    }
    bool TakeWrote() { return std::exchange(wrote_, false); }

private:
    ICaptureAssembler& inner_;
    bool wrote_ = false;
};

} // namespace

void TMonitorSession::SetPortTexts(const std::string& portText, int portIndex, int baudIndex) {
    settings_.PortText = portText;
    settings_.PortIndex = portIndex;
    if (!capture_->Udp)
        settings_.BaudIndex = baudIndex;
}

void TMonitorSession::StartStop(bool down) {
    if (!down && Capturing())
        end_ = CaptureEnd::Stopped;
    starting_ = down;
    capture_->Control.StartStopClick(down);
    starting_ = false;
}

void TMonitorSession::PollTick() {
    // The table follows in PollTickDone; a tick that stopped the capture rebuilt it with the stop.
    capture_->Control.PollTick();
}

int TMonitorSession::PollIntervalMs() const {
    return capture_->Control.PollIntervalMs();
}

void TMonitorSession::SelectProtocol(Protocol selection) {
    capture_->Control.SelectProtocol(selection);
}

void TMonitorSession::SetOperatorBox(SourceFlag which, bool on) {
    capture_->Control.SetOperatorBox(which, on);
}

void TMonitorSession::SetMonitorBox(bool on) {
    capture_->Control.SetMonitorBox(on);
}

void TMonitorSession::SetClearBeforeStart(bool on) {
    capture_->Control.SetClearBeforeStart(on);
}

bool TMonitorSession::Capturing() const {
    return capture_->Control.Running();
}

bool TMonitorSession::PortOpen() const {
    return capture_->Link.Device().IsOpen();
}

std::optional<std::vector<std::string>> TMonitorSession::PortList() const {
    return RefreshComPorts(capture_->Udp.has_value(), sysfsTty_);
}

void TMonitorSession::UseUdpSource(const TUdpArgument& remote) {
    capture_->Udp = remote;
    capture_->UdpSource = std::make_unique<TUdpSource>(remote);
    ConnectUdpSource(capture_->Control, *capture_->UdpSource);
}

const TUdpArgument* TMonitorSession::UdpArgument() const {
    return capture_->Udp ? &*capture_->Udp : nullptr;
}

std::uint64_t TMonitorSession::UdpDatagramsReceived() const {
    return capture_->UdpSource ? capture_->UdpSource->DatagramsReceived() : 0;
}

void TMonitorSession::LineMonitorInfo() {
    capture_->LineMonitor.LineMonitorInfo();
}

void TMonitorSession::SetTriggerHook(ITriggerHook& trigger) {
    capture_->Control.SetTrigger(&trigger);
    capture_->Assemblers.SetTrigger(trigger);
}

void TMonitorSession::SetLineMonitorControl(ILineMonitorControl* box) {
    capture_->Control.SetLineMonitor(box != nullptr ? box : &capture_->LineMonitor);
}

bool TMonitorSession::Replay(const std::vector<std::uint8_t>& bytes, std::size_t chunk) {
    TCaptureParts& c = *capture_;
    TMemoryPortDevice device;
    c.Link.SetDevice(device, false);
    c.Control.SetLineMonitor(nullptr);
    const int mode = static_cast<int>(settings_.Selection) + 1;
    ICaptureAssembler* chosen = &c.Control.Trx5();
    if (mode == kRunDin)
        chosen = &c.Assemblers.Din();
    else if (mode == kRunRaw)
        chosen = &c.Assemblers.Raw();
    TWriteWatch watch(*chosen);
    c.Control.SetAssembler(mode, &watch);
    const bool started = c.Control.StartCapture();
    // Ticks until the input is used up, nothing is queued and a tick wrote nothing (or the
    // capture stopped by itself); then Stop drops what is left and unwraps the list.
    std::size_t fed = 0;
    while (started && c.Control.Running()) {
        const std::size_t n = std::min(chunk, bytes.size() - fed);
        if (n > 0)
            device.Feed(ByteView(bytes.data() + fed, n));
        fed += n;
        c.Control.PollTick();
        const bool wrote = watch.TakeWrote();
        if (fed == bytes.size() && device.Queued() == 0 && !wrote)
            break;
    }
    c.Control.StopCapture();
    c.Control.SetAssembler(mode, chosen);
    c.Control.SetLineMonitor(&c.LineMonitor);
    c.Link.SetDevice(c.Serial, false);
    return started;
}

TCaptureSummary TMonitorSession::Summary() const {
    TCaptureSummary s;
    s.Entries = list_.Count();
    s.RxErrors = capture_->Control.RxErrorCount();
    if (capture_->UdpSource) {
        const auto& drops = capture_->UdpSource->DropCounts();
        s.RingDrops = drops.RingFullFrames;
        // The kernel reports whole datagrams; a cut datagram lost its tail frames.
        s.SystemDrops = drops.SystemDatagrams + drops.TruncatedDatagrams;
        s.Datagrams = true;
        s.BadDatagrams = drops.BadDatagrams;
    }
    s.End = end_;
    const auto until = Capturing() ? std::chrono::steady_clock::now() : stoppedAt_;
    s.Seconds = std::chrono::duration<double>(until - startedAt_).count();
    return s;
}

// ---- what capture control reports -----------------------------------------------------------

// A new event is declared in ICaptureObserver, raised by capture control and handled here;
// what the window makes of it goes through ISessionObserver.
class TMonitorSession::TCaptureEvents final : public ICaptureObserver {
public:
    explicit TCaptureEvents(TMonitorSession& session) : s_(session) {}

    void StartRequested() override { s_.view_->CaptureActive(true); }
    void StartFailed() override { s_.view_->CaptureActive(false); }
    void CaptureEnding() override { s_.view_->CaptureActive(false); }
    void ReceiveErrorsCounted(const std::string& text) override { s_.view_->RxErrorsChanged(text); }
    void RawFormatNeeded() override { s_.view_->RawFormatNeeded(); }

    void RunningChanged(bool running) override {
        s_.rows_.SetCapturing(running);
        s_.SetIdle(!running);
    }

    void CaptureStarted() override {
        s_.end_ = CaptureEnd::Running;
        s_.startedAt_ = std::chrono::steady_clock::now();
        s_.filteredView_.SetFilterDisplay(false);
        s_.view_->CommandsChanged();
        s_.filteredView_.BuildFilteredDisplay();
        s_.FilterChanged();
        s_.markIndex_ = -1;
        s_.rows_.ResetLiveRow();
        // Without "Clear before Start" the entries of earlier captures stay and are counted with
        // the new ones, as they are after Stop.
        s_.RebuildTransactions();
    }

    void PollTickDone() override {
        // Before the rows: a row's "Response" cell reads the table when it is drawn.
        s_.FollowTransactions();
        if (s_.view_ == &s_.noView_) {
            // Nobody looks at the rows; the entries are unsaved all the same.
            s_.unsaved_ = s_.unsaved_ || !s_.list_.Empty();
            return;
        }
        const bool rawChunks =
            s_.capture_->Control.RunningMode() == kRunRaw && !s_.settings_.Monitor;
        const unsigned revision = s_.rows_.Revision();
        if (s_.rows_.LiveTick(rawChunks) > 0)
            s_.unsaved_ = true;
        // A quiet tick leaves the rows as they are and the view alone.
        if (s_.rows_.Revision() != revision)
            s_.view_->LiveRowsChanged();
    }

    void CaptureStopped() override {
        s_.stoppedAt_ = std::chrono::steady_clock::now();
        if (s_.end_ == CaptureEnd::Running)
            s_.end_ = s_.capture_->Link.DeviceLost() ? CaptureEnd::DeviceLost : CaptureEnd::Stopped;
        // A full ring was put in order oldest-first; the live display has shown all of it.
        if (s_.list_.WriteIndex() == 0)
            s_.rows_.SetNextLiveEntry(s_.list_.Count());
        s_.rows_.ResetLiveRow();
        s_.markIndex_ = -1;
        s_.rows_.UpdateScrollRange();
        s_.RebuildTransactions();
        s_.Redraw();
    }

    void TriggerFired(int position) override {
        s_.end_ = CaptureEnd::Trigger;
        s_.ShowTriggerTelegram(position);
        s_.view_->FocusList();
    }

    void ProtocolChanged(Protocol) override {
        s_.FollowTransactionSettings();
        s_.view_->SettingsChanged();
        s_.Redraw();
    }

    void SourcesChanged(const TCaptureSettings&) override {
        s_.FollowTransactionSettings();
        s_.view_->SettingsChanged();
    }

    void MonitorSwitched(bool on) override {
        s_.lineMonitorInfoAllowed_ = on;
        s_.view_->CommandsChanged();
        // When Start switches "Monitor" on for the UDP source, the box is configured right after
        // with the settings as they are; the dialog stays available from the menu.
        if (on && !s_.starting_)
            s_.view_->LineMonitorSettingsNeeded();
    }

    void ListCleared() override {
        ++s_.recordingNumber_;
        s_.table_.Reset(s_.TransactionSettings(), s_.list_.Capacity());
        s_.tableCursor_.Commit(s_.list_);
        s_.view_->TransactionsChanged();
        s_.rows_.Reset();
        s_.view_->RowsChanged();
    }

private:
    TMonitorSession& s_;
};

std::unique_ptr<ICaptureObserver> TMonitorSession::MakeCaptureEvents(TMonitorSession& session) {
    return std::make_unique<TCaptureEvents>(session);
}

} // namespace protmon
