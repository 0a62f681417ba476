#pragma once

#include "bus_telegram.h"

#include <random>

namespace protmon::lmsim {

// Protocol-free line traffic: bursts of 1 to 24 random bytes with short gaps, alternately from
// either side. Reproducible for a seed.
class RawTrafficGenerator : public ITelegramSource {
public:
    explicit RawTrafficGenerator(std::uint64_t seed) : rng_(seed) {}
    bool Next(BusTelegram& out) override;

private:
    std::mt19937_64 rng_;
    std::uint8_t side_ = 0;
};

} // namespace protmon::lmsim
