#include "capture/clock.h"

#include <thread>

namespace protmon {

void TSteadyClock::SleepFor(std::chrono::nanoseconds duration) {
    std::this_thread::sleep_for(duration);
}

IClock& SteadyClock() {
    static TSteadyClock clock;
    return clock;
}

void TVirtualClock::SleepFor(std::chrono::nanoseconds duration) {
    if (duration.count() > 0)
        elapsed_.fetch_add(duration.count());
}

} // namespace protmon
