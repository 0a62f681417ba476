#pragma once

#include <atomic>
#include <chrono>

namespace protmon {

// Where the device command exchanges take the time and their waits from: the steady clock of the
// machine in the program, a virtual clock in tests and fuzz harnesses, so that a reply search or a
// guard time costs no real time there.
class IClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~IClock() = default;
    virtual TimePoint Now() const = 0;
    virtual void SleepFor(std::chrono::nanoseconds duration) = 0;
};

// The machine's steady clock and a real sleep; stateless, so one instance serves every thread.
class TSteadyClock : public IClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void SleepFor(std::chrono::nanoseconds duration) override;
};

// The clock every link uses unless another is set.
IClock& SteadyClock();

// Time that moves only when someone sleeps: SleepFor advances Now by the duration at once.
// Safe to share with a device's event thread.
class TVirtualClock : public IClock {
public:
    TimePoint Now() const override {
        return TimePoint(std::chrono::duration_cast<TimePoint::duration>(Elapsed()));
    }
    void SleepFor(std::chrono::nanoseconds duration) override;
    // Total time slept so far.
    std::chrono::nanoseconds Elapsed() const { return std::chrono::nanoseconds(elapsed_.load()); }

private:
    std::atomic<std::chrono::nanoseconds::rep> elapsed_{0};
};

} // namespace protmon
