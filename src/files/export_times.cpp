#include "files/export_times.h"

#include <array>

namespace protmon {

namespace {

constexpr std::array<int, 5> kResolutions = {1, 8, 128, 1024, 8192};
constexpr std::int64_t kNsPerUs = 1000;
constexpr std::int64_t kNsPerMs = 1'000'000;
constexpr std::int64_t kTicksPerWrap = 65536;

bool IsResolution(int us) {
    for (const int r : kResolutions)
        if (r == us)
            return true;
    return false;
}

} // namespace

TExportTimes::TExportTimes(const TTelegramList& list, int timeStampResolution) : list_(list) {
    lineMonitor_.assign(static_cast<std::size_t>(list.Count()), -1);
    if (!IsResolution(timeStampResolution))
        return;
    bool first = true;
    std::int64_t origin = 0;
    std::int64_t wraps = 0;
    std::uint16_t previous = 0;
    for (int p = 0; p < list.Count(); ++p) {
        const TTelEntry& e = *list.At(p);
        if (e.Channel == kNoChannel)
            continue;
        if (first) {
            origin = e.TimeStamp;
            first = false;
        } else if (e.TimeStamp < previous) {
            ++wraps;
        }
        previous = e.TimeStamp;
        const std::int64_t ticks = wraps * kTicksPerWrap + e.TimeStamp - origin;
        lineMonitor_[static_cast<std::size_t>(p)] = ticks * timeStampResolution * kNsPerUs;
    }
}

TExportTime TExportTimes::At(int position) const {
    const TTelEntry* e = list_.At(position);
    if (e == nullptr)
        return {};
    if (e->ReceiveTime > 0)
        return {e->ReceiveTime, TimeBasis::Receive};
    const std::int64_t lm = lineMonitor_[static_cast<std::size_t>(position)];
    if (lm >= 0)
        return {lm, TimeBasis::LineMonitor};
    return {position * kNsPerMs, TimeBasis::Position};
}

} // namespace protmon
