#pragma once

#include <cstdint>
#include <vector>

namespace protmon::lmsim {

// What a fieldbus operator would call the telegram: its own communication, process data it sends
// or process data it receives. Its selection bits are 1 << kind.
enum class TrafficKind : std::uint8_t { Comm = 0, PdOut = 1, PdIn = 2 };

// One telegram as it passes on the bus.
struct BusTelegram {
    std::vector<std::uint8_t> bytes;
    std::uint8_t channel = 0; // 0: master side (A), 1: drive side (B)
    TrafficKind kind = TrafficKind::Comm;
    std::uint32_t idleUs = 0; // bus idle time before the first byte
};

class ITelegramSource {
public:
    virtual ~ITelegramSource() = default;
    // Starts over (a new monitoring run); a generator just goes on.
    virtual void Restart() {}
    // False when the source has nothing more to give.
    virtual bool Next(BusTelegram& out) = 0;
};

// Direction and kind from the service byte: requests come from the master, responses from the
// drive; process-data services (16 to 20, 48 to 56) are PD Out when sent and PD In when answered.
inline void ClassifyTelegram(BusTelegram& t) {
    const std::uint8_t serviceByte = t.bytes.size() > 1 ? t.bytes[1] : 0;
    const bool response = (serviceByte & 0x80) != 0;
    const int service = serviceByte & 0x3F;
    const bool processData = (service >= 16 && service <= 20) || service >= 48;
    t.channel = response ? 1 : 0;
    if (!processData)
        t.kind = TrafficKind::Comm;
    else
        t.kind = response ? TrafficKind::PdIn : TrafficKind::PdOut;
}

} // namespace protmon::lmsim
