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

// What the window shows of a capture. Every method has a do-nothing default so that a client
// overrides only what it shows.
class ICaptureObserver {
public:
    virtual ~ICaptureObserver() = default;
    // Start/Stop button: down (caption "Stop") while capture runs, up (caption "Start") otherwise.
    virtual void SetStartButton(bool /*down*/) {}
    // Status label text, "RxErrors:" followed by the count.
    virtual void ShowRxErrors(const std::string& /*text*/) {}
    // Enabling of commands and controls for capturing (true) or idle (false).
    virtual void SetUiState(bool /*capturing*/) {}
    // At Start: "Filter display" off and the unfiltered view back; MarkIndex -1.
    virtual void CaptureStarting() {}
    // After each poll tick that did not stop the capture: draw the entries recorded since the
    // previous tick (live display), set UnsavedTelegrams, show the entry count.
    virtual void LiveDisplay() {}
    // After Stop: UpdateScrollRange, RefreshRows, LiveRow 0, MarkIndex -1.
    virtual void CaptureStopped() {}
    // After a trigger stop: scroll to and select the trigger telegram at `position` (may be
    // negative when it was already overwritten).
    virtual void TriggerFired(int /*position*/) {}
    // The protocol selection changed (or was restored after Cancel): show it and redraw the list.
    virtual void ShowProtocol(Protocol /*selection*/) {}
    // Check boxes changed by a rule: show settings' Comm, PdOut, PdIn, Monitor.
    virtual void ShowCheckBoxes(const TCaptureSettings& /*settings*/) {}
    // "Monitor" switched: enable "Line monitor Info" and, when switched on, open the line
    // monitor settings dialog.
    virtual void MonitorBoxSwitched(bool /*on*/) {}
    // RAW was selected (not while a monitor file is read): open the raw format dialog.
    virtual void OpenRawFormatDialog() {}
    // The list was cleared: reset the live display (next-row index) and redraw.
    virtual void ListCleared() {}
};

} // namespace protmon
