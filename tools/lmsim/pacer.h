#pragma once

#include <chrono>
#include <cstdint>
#include <limits>

namespace protmon::lmsim {

using Clock = std::chrono::steady_clock;

// Spreads frames evenly at a fixed rate; rate 0 lets everything through at once. A run that
// falls behind (the transport was busy) catches up as fast as the transport allows.
class Pacer {
public:
    explicit Pacer(std::uint32_t rate) : rate_(rate) {}

    void Reset(Clock::time_point now) {
        start_ = now;
        done_ = 0;
    }
    bool Unlimited() const { return rate_ == 0; }
    std::uint64_t Due(Clock::time_point now) const {
        if (rate_ == 0)
            return std::numeric_limits<std::uint64_t>::max();
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - start_).count();
        const auto total = static_cast<std::uint64_t>(ns < 0 ? 0 : ns) * rate_ / 1000000000u + 1;
        return total > done_ ? total - done_ : 0;
    }
    void Done(std::uint64_t frames) { done_ += frames; }
    Clock::duration UntilNext(Clock::time_point now) const {
        if (rate_ == 0)
            return Clock::duration::zero();
        const auto next = start_ + std::chrono::nanoseconds(done_ * 1000000000u / rate_);
        return next > now ? next - now : Clock::duration::zero();
    }

private:
    std::uint32_t rate_;
    Clock::time_point start_{};
    std::uint64_t done_ = 0;
};

} // namespace protmon::lmsim
