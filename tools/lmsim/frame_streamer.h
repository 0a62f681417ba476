#pragma once

#include "bus_telegram.h"
#include "host_link_box.h"
#include "uart_model.h"

#include <optional>

namespace protmon::lmsim {

// Turns bus telegrams into data frames (1B 40 1B F channel tsHi tsLo telegram) with time stamps
// from a simulated clock that advances by the bus time of every telegram and the idle time
// before it, at the bus rate and framing the monitor configured.
class FrameStreamer {
public:
    struct Limits {
        std::optional<std::uint64_t> count;
        std::optional<std::uint64_t> overrunAfter;
    };

    // With plantLine the telegrams cross the plant's bus at its rate and framing, and the box
    // forwards them unchanged only while it is configured for that line; otherwise it forwards
    // what its UART makes of them (see BoxReception).
    explicit FrameStreamer(Limits limits, std::optional<UartFraming> plantLine = std::nullopt)
        : limits_(limits), plantLine_(plantLine) {}

    // Starts a run that forwards the telegrams of source.
    void Start(const BoxSettings& settings, ITelegramSource& source);
    void Stop() { active_ = false; }
    bool Active() const { return active_; }
    std::uint64_t FramesSent() const { return sent_; }
    // True when the last frame was an overrun report (the box stops monitoring after it).
    bool OverrunReported() const { return overrun_; }

    // Appends the next frame (nothing when the box's UART made nothing of the telegram); false
    // (and inactive) when the run has ended.
    bool AppendFrame(std::vector<std::uint8_t>& out);
    // Bus time since the start of the run (ns) at which the next frame is stamped; it is then
    // due for sending. Nothing when the run has ended.
    std::optional<std::uint64_t> NextFrameClockNs();

private:
    bool LimitReached() const;
    std::uint64_t BusTimeNs(const BusTelegram& t) const;
    std::uint16_t TimeStamp() const;

    ITelegramSource* source_ = nullptr;
    Limits limits_;
    std::optional<UartFraming> plantLine_;
    std::optional<UartFraming> boxReceiver_; // set while the box is not tuned to the plant
    BoxSettings settings_;
    bool active_ = false;
    bool overrun_ = false;
    std::uint64_t sent_ = 0;
    std::uint64_t clockNs_ = 0;
    std::uint64_t runStartNs_ = 0;
    std::optional<BusTelegram> held_; // taken from the source by NextFrameClockNs, not yet sent
};

// The UART the box's bus settings amount to.
UartFraming BoxReceiver(const BoxSettings& settings);

// What a box whose UART is set up as rx forwards of a telegram sent as tx: the characters its
// UART took without a parity or framing error or break (the frame has no error status, so
// flagged characters are dropped).
std::vector<std::uint8_t> BoxReception(ByteView telegram, const UartFraming& tx,
                                       const UartFraming& rx);

} // namespace protmon::lmsim
