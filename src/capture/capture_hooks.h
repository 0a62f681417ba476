#pragma once

#include "model/capture_settings.h"

#include <cstdint>
#include <string>

namespace protmon {

// Runs the assembler of one running mode for one poll tick.
struct TAssembleResult {
    bool Wrote = false;     // at least one entry was written
    bool Triggered = false; // the trigger fired: capture control runs the Stop sequence
};
class ICaptureAssembler {
public:
    virtual ~ICaptureAssembler() = default;
    // Loops until no complete unit is left; must not block.
    virtual TAssembleResult Assemble() = 0;
};

// Supplies line-monitor data frames: true when one complete frame lies at the start of the
// receive buffer (marker, length byte F, channel, two time-stamp bytes, telegram of F - 4 bytes).
// The assembler consumes it. On a reported overrun the implementation stops the capture itself
// (TCaptureControl::StopCapture) and returns false.
class ILineMonitorFrames {
public:
    virtual ~ILineMonitorFrames() = default;
    virtual bool LineMonitorReceiveFrame() = 0;
};

// The fieldbus operator's monitor mode, switched at Start and Stop.
class IOperatorMonitor {
public:
    virtual ~IOperatorMonitor() = default;
    // 0 on success, kPortNoAnswer otherwise.
    virtual int OperatorMonitorCommand(std::uint32_t selection) = 0;
};

// The line monitor's configuration at Start and its stop command.
class ILineMonitorControl {
public:
    virtual ~ILineMonitorControl() = default;
    // Link baud synchronisation and the configuration commands: 0, kPortRefused or another code.
    virtual int ConfigureLineMonitor() = 0;
    // Command (code, value); 0, kPortRefused or kPortNoAnswer.
    virtual int LineMonitorCommand(int code, int value) = 0;
};

// The UDP source when the program was started with host:port.
class IUdpSource {
public:
    virtual ~IUdpSource() = default;
    // Binds the socket and starts the listener if not yet active; empties the datagram ring.
    // kPortOk, or a failure that ActivationFailureText() explains (e.g. an unknown host name).
    virtual int ActivateListener() = 0;
    virtual std::string ActivationFailureText() const { return {}; }
};

// What happens to a capture, for whoever shows it; the observer decides what that looks like.
// Every method has a do-nothing default so that a client overrides only what it follows.
class ICaptureObserver {
public:
    virtual ~ICaptureObserver() = default;
    // Start was asked for: the port and the devices are being set up.
    virtual void StartRequested() {}
    // The set-up failed (port, listener or a device); nothing runs and the error was shown.
    virtual void StartFailed() {}
    // The capture ends (Stop, trigger, lost device, end of a replay): nothing more is recorded.
    virtual void CaptureEnding() {}
    // Running (true) or idle: which commands and controls apply.
    virtual void RunningChanged(bool /*running*/) {}
    // The capture runs from now on, the trigger not yet armed: the filtered display and the
    // mark of an earlier recording no longer apply.
    virtual void CaptureStarted() {}
    // A poll tick that did not stop the capture is over; it may have written entries.
    virtual void PollTickDone() {}
    // The ports are closed and the list is in order oldest-first.
    virtual void CaptureStopped() {}
    // The trigger stopped the capture; its telegram is at list `position` (negative when it
    // was already overwritten).
    virtual void TriggerFired(int /*position*/) {}
    // The receive-error count changed; `text` is "RxErrors:" followed by the count.
    virtual void ReceiveErrorsCounted(const std::string& /*text*/) {}
    // The protocol selection changed (or was restored after a refusal).
    virtual void ProtocolChanged(Protocol /*selection*/) {}
    // The sources (Comm, PdOut, PdIn, Monitor) changed by a rule.
    virtual void SourcesChanged(const TCaptureSettings& /*settings*/) {}
    // "Monitor" was switched on or off.
    virtual void MonitorSwitched(bool /*on*/) {}
    // RAW was selected (not while a monitor file is read): its line format must be chosen.
    virtual void RawFormatNeeded() {}
    // The list was emptied.
    virtual void ListCleared() {}
};

} // namespace protmon
