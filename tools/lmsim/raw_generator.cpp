#include "raw_generator.h"

namespace protmon::lmsim {

bool RawTrafficGenerator::Next(BusTelegram& out) {
    std::uniform_int_distribution<int> length(1, 24);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::uint32_t> idle(300, 3000);
    out.bytes.resize(static_cast<std::size_t>(length(rng_)));
    for (std::uint8_t& b : out.bytes)
        b = static_cast<std::uint8_t>(byte(rng_));
    out.channel = side_;
    out.kind = TrafficKind::Comm;
    out.idleUs = idle(rng_);
    side_ ^= 1u;
    return true;
}

} // namespace protmon::lmsim
