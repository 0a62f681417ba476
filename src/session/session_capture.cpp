#include "capture/com_ports.h"
#include "capture/memory_port_device.h"
#include "session/session.h"

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
    if (!udp_)
        settings_.BaudIndex = baudIndex;
}

void TMonitorSession::StartStop(bool down) {
    if (!down && Capturing())
        end_ = CaptureEnd::Stopped;
    starting_ = down;
    control_.StartStopClick(down);
    starting_ = false;
}

void TMonitorSession::PollTick() {
    // The table follows in LiveDisplay; a tick that stopped the capture rebuilt it with the stop.
    control_.PollTick();
}

std::optional<std::vector<std::string>> TMonitorSession::PortList() const {
    return RefreshComPorts(udp_.has_value(), sysfsTty_);
}

void TMonitorSession::UseUdpSource(const TUdpArgument& remote) {
    udp_ = remote;
    udpSource_ = std::make_unique<TUdpSource>(remote);
    ConnectUdpSource(control_, *udpSource_);
}

void TMonitorSession::SetTriggerHook(ITriggerHook& trigger) {
    control_.SetTrigger(&trigger);
    assemblers_.SetTrigger(trigger);
}

bool TMonitorSession::Replay(const std::vector<std::uint8_t>& bytes, std::size_t chunk) {
    TMemoryPortDevice device;
    link_.SetDevice(device, false);
    control_.SetLineMonitor(nullptr);
    const int mode = static_cast<int>(settings_.Selection) + 1;
    ICaptureAssembler* chosen = &control_.Trx5();
    if (mode == kRunDin)
        chosen = &assemblers_.Din();
    else if (mode == kRunRaw)
        chosen = &assemblers_.Raw();
    TWriteWatch watch(*chosen);
    control_.SetAssembler(mode, &watch);
    const bool started = control_.StartCapture();
    // Ticks until the input is used up, nothing is queued and a tick wrote nothing (or the
    // capture stopped by itself); then Stop drops what is left and unwraps the list.
    std::size_t fed = 0;
    while (started && control_.Running()) {
        const std::size_t n = std::min(chunk, bytes.size() - fed);
        if (n > 0)
            device.Feed(ByteView(bytes.data() + fed, n));
        fed += n;
        control_.PollTick();
        const bool wrote = watch.TakeWrote();
        if (fed == bytes.size() && device.Queued() == 0 && !wrote)
            break;
    }
    control_.StopCapture();
    control_.SetAssembler(mode, chosen);
    control_.SetLineMonitor(&lineMonitor_);
    link_.SetDevice(serial_, false);
    return started;
}

TCaptureSummary TMonitorSession::Summary() const {
    TCaptureSummary s;
    s.Entries = list_.Count();
    s.RxErrors = control_.RxErrorCount();
    if (udpSource_) {
        const auto& drops = udpSource_->DropCounts();
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

void TMonitorSession::SetStartButton(bool down) {
    view_->StartButtonChanged(down);
}

void TMonitorSession::ShowRxErrors(const std::string& text) {
    view_->RxErrorsChanged(text);
}

void TMonitorSession::SetUiState(bool capturing) {
    rows_.SetCapturing(capturing);
    SetIdle(!capturing);
}

void TMonitorSession::CaptureStarting() {
    end_ = CaptureEnd::Running;
    startedAt_ = std::chrono::steady_clock::now();
    filteredView_.SetFilterDisplay(false);
    view_->CommandsChanged();
    filteredView_.BuildFilteredDisplay();
    FilterChanged();
    markIndex_ = -1;
    rows_.ResetLiveRow();
    // Without "Clear before Start" the entries of earlier captures stay and are counted with the
    // new ones, as they are after Stop.
    RebuildTransactions();
}

void TMonitorSession::LiveDisplay() {
    // Before the rows: a row's "Response" cell reads the table when it is drawn.
    FollowTransactions();
    if (view_ == &noView_) {
        // Nobody looks at the rows; the entries are unsaved all the same.
        unsaved_ = unsaved_ || !list_.Empty();
        return;
    }
    const bool rawChunks = control_.RunningMode() == kRunRaw && !settings_.Monitor;
    const unsigned revision = rows_.Revision();
    if (rows_.LiveTick(rawChunks) > 0)
        unsaved_ = true;
    // A quiet tick leaves the rows as they are and the view alone.
    if (rows_.Revision() != revision)
        view_->LiveRowsChanged();
}

void TMonitorSession::CaptureStopped() {
    stoppedAt_ = std::chrono::steady_clock::now();
    if (end_ == CaptureEnd::Running)
        end_ = link_.DeviceLost() ? CaptureEnd::DeviceLost : CaptureEnd::Stopped;
    // A full ring was put in order oldest-first; the live display has shown all of it.
    if (list_.WriteIndex() == 0)
        rows_.SetNextLiveEntry(list_.Count());
    rows_.ResetLiveRow();
    markIndex_ = -1;
    rows_.UpdateScrollRange();
    RebuildTransactions();
    Redraw();
}

void TMonitorSession::TriggerFired(int position) {
    end_ = CaptureEnd::Trigger;
    ShowTriggerTelegram(position);
    view_->FocusList();
}

void TMonitorSession::ShowProtocol(Protocol) {
    FollowTransactionSettings();
    view_->SettingsChanged();
    Redraw();
}

void TMonitorSession::ShowCheckBoxes(const TCaptureSettings&) {
    FollowTransactionSettings();
    view_->SettingsChanged();
}

void TMonitorSession::MonitorBoxSwitched(bool on) {
    lineMonitorInfoAllowed_ = on;
    view_->CommandsChanged();
    // When Start switches "Monitor" on for the UDP source, the box is configured right after
    // with the settings as they are; the dialog stays available from the menu.
    if (on && !starting_)
        view_->OpenLineMonitorDialog();
}

void TMonitorSession::ListCleared() {
    ++recordingNumber_;
    table_.Reset(TransactionSettings(), list_.Capacity());
    tableCursor_.Commit(list_);
    view_->TransactionsChanged();
    rows_.Reset();
    view_->RowsChanged();
}

void TMonitorSession::OpenRawFormatDialog() {
    view_->OpenRawFormatDialog();
}

} // namespace protmon
