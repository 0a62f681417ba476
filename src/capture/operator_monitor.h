#pragma once

#include "capture/capture_hooks.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

namespace protmon {

class TCaptureLink;

// The fieldbus operator's monitor command: a TRX5 write of parameter 0x00FF (set) to address
// 0x10 carrying the selection (bit 0 communication, bit 1 process data out, bit 2 process data
// in; 0 switches the copying off).
class TOperatorMonitor : public IOperatorMonitor {
public:
    static constexpr int kCommandLength = 10;
    static constexpr int kExtraGuardTicks = 12;
    static constexpr int kPolls = 10;
    static constexpr std::chrono::milliseconds kPollInterval{50};
    using Sleeper = std::function<void(std::chrono::milliseconds)>;

    explicit TOperatorMonitor(TCaptureLink& link);

    // Replaces the wait between polls, by default a sleep on the link's clock (tests let the
    // stand-in answer instead of sleeping).
    void SetSleeper(Sleeper sleeper) { sleep_ = std::move(sleeper); }

    // Sends the command byte by byte with the extra guard time and waits up to about half a
    // second for the answer 0x10 0xC1 0x00 plus one byte anywhere in the received bytes, which
    // is removed with everything before it. 0 on success, kPortNoAnswer otherwise.
    int OperatorMonitorCommand(std::uint32_t selection) override;

    static std::array<std::uint8_t, kCommandLength> MonitorCommandBytes(std::uint32_t selection);
    // Position of the answer in the buffered bytes, or -1.
    static int FindOperatorAnswer(const std::uint8_t* bytes, int count);

private:
    TCaptureLink& link_;
    Sleeper sleep_;
};

} // namespace protmon
