#pragma once

#include "capture/capture_hooks.h"
#include "model/tel_entry.h"
#include "model/telegram_list.h"
#include "model/trigger_hook.h"
#include "support/recording_host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace protmon::test {

using Bytes = std::vector<std::uint8_t>;

// Appends the BCC to address, service and fields.
inline Bytes Telegram(Bytes body) {
    std::uint8_t bcc = 0;
    for (std::uint8_t b : body)
        bcc ^= b;
    body.push_back(bcc);
    return body;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The first `n` bytes of an entry's Data.
inline Bytes EntryBytes(const TTelEntry& e, std::size_t n) {
    return Bytes(e.Data.begin(), e.Data.begin() + static_cast<std::ptrdiff_t>(n));
}

// Records what capture control told the view, in order.
class TRecordingObserver : public ICaptureObserver {
public:
    // The log speaks of the Start button, as a window would show these events.
    void StartRequested() override { Button(true); }
    void StartFailed() override { Button(false); }
    void CaptureEnding() override { Button(false); }
    void ReceiveErrorsCounted(const std::string& text) override { rxText = text; }
    void RunningChanged(bool running) override {
        log.push_back(running ? "ui capturing" : "ui idle");
    }
    void CaptureStarted() override { log.push_back("starting"); }
    void PollTickDone() override { ++liveDisplays; }
    void CaptureStopped() override { log.push_back("stopped"); }
    void TriggerFired(int position) override { triggerPositions.push_back(position); }
    void ProtocolChanged(Protocol p) override { shownProtocols.push_back(p); }
    void MonitorSwitched(bool on) override { log.push_back(on ? "monitor on" : "monitor off"); }
    void RawFormatNeeded() override { ++rawDialogs; }
    void ListCleared() override { log.push_back("cleared"); }

    std::vector<std::string> log;
    bool buttonDown = false;
    std::string rxText;
    int liveDisplays = 0;
    std::vector<int> triggerPositions;
    std::vector<Protocol> shownProtocols;
    int rawDialogs = 0;

private:
    void Button(bool down) {
        buttonDown = down;
        log.push_back(down ? "button down" : "button up");
    }
};

// Fires when the `fireAt`-th checked entry arrives (1-based) and reports `position`.
class TCountingTrigger : public ITriggerHook {
public:
    void ArmTrigger() override {
        armed = true;
        checked = 0;
    }
    bool TriggerCheck(const TTelEntry&) override { return armed && ++checked == fireAt; }
    int TriggerPosition(int count) const override { return count - 1; }

    bool armed = false;
    int checked = 0;
    int fireAt = -1;
};

} // namespace protmon::test
