#pragma once

#include "bus_telegram.h"
#include "frame_streamer.h"
#include "host_link_box.h"
#include "link.h"
#include "options.h"
#include "pacer.h"

#include <optional>

namespace protmon::lmsim {

// A device behind the link: it reacts to what arrives and produces its traffic when due.
class ISimulator {
public:
    virtual ~ISimulator() = default;
    virtual void OnReceived(ByteView bytes) = 0;
    // Queues what is due now; returns how long the loop may wait for input before calling again
    // (nothing: until input arrives).
    virtual std::optional<Clock::duration> Produce(Clock::time_point now) = 0;
    // Called once when the simulator ends.
    virtual void Finish() {}
};

// The line monitor box: host-link commands and replies, and data frames while monitoring.
class LineMonitorSim : public ISimulator, private IBoxEvents {
public:
    // dinSource, when given, is played while the monitor asks for 7 data bits (the ASCII
    // protocol's framing).
    LineMonitorSim(ILink& link, ITelegramSource& source, ITelegramSource* dinSource,
                   const LmsimOptions& options);

    void OnReceived(ByteView bytes) override { box_.Receive(bytes, *this); }
    std::optional<Clock::duration> Produce(Clock::time_point now) override;

private:
    void OnReply(ByteView reply) override { link_.QueueReply(reply); }
    void OnStartMonitoring(const BoxSettings& settings) override;
    void OnStopMonitoring() override { streamer_.Stop(); }
    void OnLinkBaud(std::uint32_t baud) override { link_.SetLinkBaud(baud); }
    // Sends the frames whose bus time has come (the plant's pace).
    std::optional<Clock::duration> ProduceOnBusTime(Clock::time_point now);

    ILink& link_;
    ITelegramSource& source_;
    ITelegramSource* dinSource_;
    HostLinkBox box_;
    FrameStreamer streamer_;
    Pacer pacer_;
    bool busTimePacing_;
    Clock::time_point runStart_{};
    int framesPerWrite_;
    std::vector<std::uint8_t> batch_;
};

// The fieldbus operator: answers its monitor command and copies the selected telegrams as they
// are, without line-monitor framing.
class OperatorSim : public ISimulator {
public:
    OperatorSim(ILink& link, ITelegramSource& source, const LmsimOptions& options);

    void OnReceived(ByteView bytes) override;
    std::optional<Clock::duration> Produce(Clock::time_point now) override;

private:
    void Execute(std::uint32_t selection);

    ILink& link_;
    ITelegramSource& source_;
    Pacer pacer_;
    bool silent_;
    bool refuse_;
    std::optional<std::uint64_t> count_;
    std::uint64_t copied_ = 0;
    std::uint32_t selection_ = 0;
    std::vector<std::uint8_t> pending_;
};

} // namespace protmon::lmsim
