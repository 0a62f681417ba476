#pragma once

#include "model/byte_view.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace protmon::lmsim {

// What the monitor has configured in the box.
struct BoxSettings {
    std::uint32_t linkBaud = 38400;
    std::uint8_t busBaudIndex = 5;
    std::uint8_t dataBits = 8;
    std::uint8_t parity = 0; // 0 even, 1 odd, 2 none
    std::uint8_t resolutionIndex = 2;
    std::uint8_t endOfTelegram = 13; // microseconds / 100
    std::uint8_t handshake = 0;      // 0 stopped, 1 to 4 monitoring modes
};

// Rates and resolutions behind the index values of the commands; 0 for an empty index.
std::uint32_t LinkBaudOfIndex(int index);
std::uint32_t BusBaudOfIndex(int index);
std::uint32_t ResolutionUsOfIndex(int index);

// Reactions of the box that reach beyond its reply.
class IBoxEvents {
public:
    virtual ~IBoxEvents() = default;
    virtual void OnReply(ByteView reply) = 0;
    virtual void OnStartMonitoring(const BoxSettings& settings) = 0;
    virtual void OnStopMonitoring() = 0;
    // Called after the reply to command 1 was handed over: that reply still goes at the old rate.
    virtual void OnLinkBaud(std::uint32_t baud) = 0;
};

struct BoxBehaviour {
    std::set<int> refusedCodes;
    bool silent = false;
    std::string versionText = "LMSIM 1.0.0";
    std::uint32_t linkBaud = 38400;
};

// The host-link side of the line monitor: finds 5-byte commands (1B 40 1B code value) in what
// arrives, however it is split, and answers each with 1B 40 1B status.
class HostLinkBox {
public:
    explicit HostLinkBox(BoxBehaviour behaviour);

    void Receive(ByteView bytes, IBoxEvents& events);
    const BoxSettings& Settings() const { return settings_; }
    // The monitor is stopped by an overrun report, as a real box's buffer overflow would.
    void StopMonitoring() { settings_.handshake = 0; }

private:
    void Execute(std::uint8_t code, std::uint8_t value, IBoxEvents& events);
    std::uint8_t Configure(std::uint8_t code, std::uint8_t value);

    BoxBehaviour behaviour_;
    BoxSettings settings_;
    std::vector<std::uint8_t> pending_;
};

} // namespace protmon::lmsim
