#include "capture/capture_control.h"

#include "capture/line_monitor.h"
#include "capture/port_failure.h"
#include "model/busy_scope.h"
#include "model/line_monitor_settings.h"

#include <chrono>
#include <optional>

namespace protmon {

namespace {

constexpr int kStopAttempts = 7;

} // namespace

TCaptureControl::TCaptureControl(TTelegramList& list, TCaptureLink& link,
                                 TCaptureSettings& settings, IHost& host)
    : list_(list), link_(link), settings_(settings), host_(host), trx5_(list, link, noTrigger_) {
    trx5_.SetLineMonitorMode([this] { return settings_.Monitor; });
}

std::int64_t WallClockNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void TCaptureControl::SetObserver(ICaptureObserver* observer) {
    observer_ = observer != nullptr ? observer : &defaultObserver_;
}

void TCaptureControl::SetTrigger(ITriggerHook* trigger) {
    trigger_ = trigger != nullptr ? trigger : &noTrigger_;
    trx5_.SetTrigger(*trigger_);
}

void TCaptureControl::SetUdpSource(IUdpSource* udp) {
    udp_ = udp;
    udpMonitorSwitched_ = false;
}

void TCaptureControl::SetAssembler(int runningMode, ICaptureAssembler* assembler) {
    if (runningMode >= kRunTrx5 && runningMode <= kRunRaw)
        assemblers_[runningMode] = assembler;
}

void TCaptureControl::StartStopClick(bool down) {
    if (down)
        StartCapture();
    else
        StopCapture();
}

bool TCaptureControl::StartCapture() {
    if (Running())
        return true;
    quietTick_ = false;
    const std::uint32_t operatorBits = OperatorBits(settings_);
    if (clearBeforeStart_)
        Clear();
    observer_->StartRequested();
    if (udp_ != nullptr && !udpMonitorSwitched_) {
        udpMonitorSwitched_ = true;
        SetMonitorBox(true);
    }
    if (!OpenSource())
        return false;
    link_.Device().Purge();
    link_.Buffer().Clear();
    settings_.SourceFlags = operatorBits | (settings_.Monitor ? kSourceLineMonitor : 0u);
    if (!ActivateDevices())
        return false;
    observer_->CaptureStarted();
    trigger_->ArmTrigger();
    observer_->RunningChanged(true);
    // Behind the reply to the line monitor's or the operator's start command the first
    // recorded traffic may already have arrived; it is kept for the assembler, which
    // resynchronises on anything else.
    if (!settings_.Monitor && (settings_.SourceFlags & 7u) == 0)
        link_.Buffer().Clear();
    runningMode_ = static_cast<int>(settings_.Selection) + 1;
    return true;
}

bool TCaptureControl::OpenSource() {
    if (udp_ != nullptr) {
        if (udp_->ActivateListener() == kPortOk)
            return true;
        // Without a reachable host the capture would only wait silently for nothing.
        host_.ShowError(std::string(kTextLineMonitorFailed) + udp_->ActivationFailureText());
        runningMode_ = kStopped;
        observer_->StartFailed();
        return false;
    }
    if (link_.OpenCapturePort(settings_, BaudBoxRate(settings_.BaudIndex)) != kPortOk) {
        host_.ShowErrorDetail(
            kTextPortNotAvailable,
            PortFailureDetail(settings_.PortText, link_.Device().LastOpenErrno()));
        runningMode_ = kStopped;
        observer_->StartFailed();
        return false;
    }
    link_.Device().SetRts();
    link_.Device().ClearDtr();
    return true;
}

bool TCaptureControl::ActivateDevices() {
    const std::uint32_t operatorBits = settings_.SourceFlags & 7u;
    // One busy section for both devices; it ends before a failure's error box.
    std::optional<TBusyScope> busy;
    if (operatorBits != 0 || settings_.Monitor)
        busy.emplace(host_);
    if (operatorBits != 0 && operator_ != nullptr &&
        operator_->OperatorMonitorCommand(operatorBits) != kPortOk) {
        busy.reset();
        FailStart(kTextOperatorFailed);
        return false;
    }
    if (settings_.Monitor) {
        const int rc = lineMonitor_ != nullptr ? lineMonitor_->ConfigureLineMonitor() : kPortOk;
        if (rc != kPortOk) {
            busy.reset();
            FailStart(std::string(kTextLineMonitorFailed) +
                      (rc == kPortRefused ? kTextUnsupportedCommand : kTextNoAnswer));
            return false;
        }
        settings_.TimeStampResolution = TimeStampResolutionUs(settings_.LineMonitor.TimeStampIndex);
    }
    return true;
}

void TCaptureControl::FailStart(const std::string& text) {
    runningMode_ = kStopped;
    host_.ShowError(text);
    observer_->StartFailed();
    link_.CloseCapturePort();
}

void TCaptureControl::SendStopCommands() {
    if (OperatorBits(settings_) != 0 && operator_ != nullptr) {
        for (int i = 0; i < kStopAttempts && operator_->OperatorMonitorCommand(0) != kPortOk; ++i) {
        }
    }
    if (settings_.Monitor && lineMonitor_ != nullptr) {
        for (int i = 0; i < kStopAttempts && lineMonitor_->LineMonitorCommand(kLmRun, 0) != kPortOk;
             ++i) {
        }
    }
}

void TCaptureControl::StopCapture() {
    if (!Running())
        return;
    runningMode_ = kStopped;
    observer_->CaptureEnding();
    // A device that went away cannot be switched back; the commands would only wait for replies.
    if (!link_.DeviceLost())
        SendStopCommands();
    link_.Device().Purge();
    link_.CloseCapturePort();
    link_.Buffer().Clear();
    observer_->RunningChanged(false);
    if (list_.WriteIndex() > 0)
        list_.UnwrapTelegramList();
    observer_->CaptureStopped();
}

void TCaptureControl::CountReceiveError() {
    ++rxErrors_;
    observer_->ReceiveErrorsCounted(RxErrorText());
}

std::string TCaptureControl::RxErrorText() const {
    return std::string(kTextRxErrors) + std::to_string(rxErrors_);
}

void TCaptureControl::PollTick() {
    if (!Running())
        return;
    const std::uint64_t receivedBefore = link_.BytesReceived();
    if (link_.Device().TakeError() != kRxNone)
        CountReceiveError();
    list_.SetReceiveTime(receiveClock_());
    ICaptureAssembler* assembler = assemblers_[runningMode_];
    const TAssembleResult result = assembler != nullptr ? assembler->Assemble() : TAssembleResult{};
    quietTick_ = link_.BytesReceived() == receivedBefore;
    if (result.Triggered && Running()) {
        StopCapture();
        observer_->TriggerFired(trigger_->TriggerPosition(list_.Count()));
        host_.ShowInfo(kTextTriggered);
        return;
    }
    if (Running() && link_.DeviceLost()) {
        StopCapture();
        host_.ShowErrorDetail(kTextPortNotAvailable,
                              settings_.PortText + ": the device went away during the capture.");
        return;
    }
    if (!Running())
        return;
    observer_->PollTickDone();
}

bool TCaptureControl::SelectProtocol(Protocol selection, bool readingFile) {
    const Protocol current = settings_.Selection;
    if (Running()) {
        observer_->ProtocolChanged(current);
        return false;
    }
    const bool familyChanges = (selection == Protocol::Raw) != (current == Protocol::Raw);
    if (familyChanges && !list_.Empty()) {
        if (!host_.Confirm(kTextDeleteAll)) {
            observer_->ProtocolChanged(current);
            return false;
        }
        Clear();
    }
    settings_.Selection = selection;
    observer_->ProtocolChanged(selection);
    if (selection == Protocol::Raw && !readingFile)
        observer_->RawFormatNeeded();
    return true;
}

void TCaptureControl::SetOperatorBox(SourceFlag which, bool on) {
    const bool monitorPending = udp_ != nullptr && !udpMonitorSwitched_;
    const bool ruleApplies = on && !monitorPending;
    // The operator speaks TRX5: leaving RAW with entries present needs the question first.
    if (ruleApplies && settings_.Selection != Protocol::Trx5 && !SelectProtocol(Protocol::Trx5)) {
        observer_->SourcesChanged(settings_);
        return;
    }
    const bool monitorWasOn = settings_.Monitor;
    protmon::SetOperatorBox(settings_, which, on, monitorPending);
    observer_->SourcesChanged(settings_);
    if (monitorWasOn && !settings_.Monitor)
        observer_->MonitorSwitched(false);
}

void TCaptureControl::SetMonitorBox(bool on) {
    protmon::SetMonitorBox(settings_, on);
    observer_->SourcesChanged(settings_);
    observer_->MonitorSwitched(on);
}

void TCaptureControl::Clear() {
    list_.Clear();
    rxErrors_ = 0;
    observer_->ReceiveErrorsCounted(RxErrorText());
    observer_->ListCleared();
}

TTelEntry* GetLastTelEntryOrReport(TTelegramList& list, IHost& host) {
    TTelEntry* e = list.GetLastTelEntry();
    if (e == nullptr)
        host.ShowInfo("Fatal Error: GetLastTelEntry not possible !");
    return e;
}

} // namespace protmon
