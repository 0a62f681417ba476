#pragma once

#include "capture/capture_hooks.h"
#include "capture/capture_link.h"
#include "capture/trx5_assembler.h"
#include "model/capture_settings.h"
#include "model/host.h"
#include "model/telegram_list.h"
#include "model/trigger_hook.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace protmon {

// Error box texts of the Start sequence.
inline constexpr const char* kTextPortNotAvailable = "Serial interface not available";
inline constexpr const char* kTextOperatorFailed =
    "Unable to activate the monitor function\nin the field bus operator.";
inline constexpr const char* kTextLineMonitorFailed = "Unable to activate the line monitor :\n";
inline constexpr const char* kTextUnsupportedCommand = "Unsupported monitor command.";
inline constexpr const char* kTextNoAnswer = "No answer from monitor hardware.";
inline constexpr const char* kTextTriggered = "Filter has been triggered.";
inline constexpr const char* kTextDeleteAll = "Ok to delete all telegrams ?";
inline constexpr const char* kTextRxErrors = "RxErrors:";
inline constexpr const char* kTextLineMonitorOverrun =
    "Line monitor stopped because of receive buffer overrun !";

// One capture run and everything around it, on the UI thread: protocol selection and check-box
// rules, Start and Stop with the source set-up, the poll tick (receive errors, the assembler of the
// running mode, the live display) and Clear. The window (or a CLI, or a test) owns it, calls
// StartStopClick from the button, PollTick from a 1 ms timer, and shows what the observer is told.
// Nanoseconds since the epoch, from the system's real-time clock.
std::int64_t WallClockNanoseconds();

class TCaptureControl {
public:
    TCaptureControl(TTelegramList& list, TCaptureLink& link, TCaptureSettings& settings,
                    IHost& host);
    TCaptureControl(const TCaptureControl&) = delete;
    TCaptureControl& operator=(const TCaptureControl&) = delete;

    // Collaborators; null means "not present": no observer, no trigger, no operator or line
    // monitor exchange (treated as succeeded), no UDP source, no assembler for a mode (its bytes
    // stay unread).
    void SetObserver(ICaptureObserver* observer);
    void SetTrigger(ITriggerHook* trigger);
    void SetOperator(IOperatorMonitor* op) { operator_ = op; }
    void SetLineMonitor(ILineMonitorControl* lm) { lineMonitor_ = lm; }
    // The UDP source; while set, Start switches "Monitor" on once and activates the listener
    // instead of opening a serial port.
    void SetUdpSource(IUdpSource* udp);
    // Replaces the assembler of running mode 1, 2 or 3 (mode 1 defaults to Trx5()).
    void SetAssembler(int runningMode, ICaptureAssembler* assembler);
    TTrx5Assembler& Trx5() { return trx5_; }
    // Source of the receive time stamped on new entries (nanoseconds since the epoch); the wall
    // clock unless a test replaces it.
    using ReceiveClock = std::function<std::int64_t()>;
    void SetReceiveClock(ReceiveClock clock) { receiveClock_ = std::move(clock); }
    IUdpSource* UdpSource() const { return udp_; }

    // The Start/Stop button changed to `down`; starting may fail and release it again.
    void StartStopClick(bool down);
    // Start sequence; true when capture runs.
    bool StartCapture();
    // Stop sequence (also used by the trigger, a line-monitor overrun and a lost device).
    void StopCapture();
    // One 1 ms tick; does nothing while stopped.
    void PollTick();
    // Milliseconds until the next tick: kPollMs while the source delivers, kIdlePollMs after a
    // tick that received nothing. Each tick drains all that arrived, so a quiet line is polled
    // less often without losing anything; the first bytes bring the 1 ms tick back.
    static constexpr int kPollMs = 1;
    static constexpr int kIdlePollMs = 10;
    int PollIntervalMs() const { return quietTick_ ? kIdlePollMs : kPollMs; }

    // Protocol radio buttons; false when the user cancelled (the previous selection is shown
    // again). `readingFile`: a monitor file is being read, so no raw format dialog.
    bool SelectProtocol(Protocol selection, bool readingFile = false);
    // Check boxes with their rules. `which` is kSourceComm, kSourcePdOut or kSourcePdIn.
    void SetOperatorBox(SourceFlag which, bool on);
    void SetMonitorBox(bool on);
    // "Clear before Start" menu toggle.
    void SetClearBeforeStart(bool on) { clearBeforeStart_ = on; }
    bool ClearBeforeStart() const { return clearBeforeStart_; }

    // Clear: destroys all entries, resets the receive-error counter and the live display.
    void Clear();

    int RunningMode() const { return runningMode_; }
    bool Running() const { return runningMode_ != kStopped; }
    int RxErrorCount() const { return rxErrors_; }
    // One more receive error, shown at once (the poll tick's port errors, a datagram the UDP
    // source had to drop).
    void CountReceiveError();
    // Device exchanges run with the running mode 0, so that ticks let through while they wait for
    // a reply do not consume it; they restore it afterwards.
    int SuspendRunningMode() { return std::exchange(runningMode_, static_cast<int>(kStopped)); }
    void ResumeRunningMode(int mode) { runningMode_ = mode; }
    std::string RxErrorText() const;
    TCaptureSettings& Settings() { return settings_; }
    TTelegramList& List() { return list_; }
    TCaptureLink& Link() { return link_; }

private:
    bool OpenSource();
    bool ActivateDevices();
    void FailStart(const std::string& text);
    void SendStopCommands();
    void StopForLostDevice();
    bool ConfirmLeaving(Protocol selection);

    TTelegramList& list_;
    ReceiveClock receiveClock_ = WallClockNanoseconds;
    TCaptureLink& link_;
    TCaptureSettings& settings_;
    IHost& host_;
    ICaptureObserver defaultObserver_;
    TNoTrigger noTrigger_;
    ICaptureObserver* observer_ = &defaultObserver_;
    ITriggerHook* trigger_ = &noTrigger_;
    IOperatorMonitor* operator_ = nullptr;
    ILineMonitorControl* lineMonitor_ = nullptr;
    IUdpSource* udp_ = nullptr;
    bool udpMonitorSwitched_ = false;
    TTrx5Assembler trx5_;
    ICaptureAssembler* assemblers_[4] = {nullptr, &trx5_, nullptr, nullptr};
    int runningMode_ = kStopped;
    int rxErrors_ = 0;
    bool clearBeforeStart_ = false;
    bool quietTick_ = false;
};

// The entry written before the newest one; on an empty list shows
// "Fatal Error: GetLastTelEntry not possible !" and returns nullptr.
TTelEntry* GetLastTelEntryOrReport(TTelegramList& list, IHost& host);

} // namespace protmon
