#include "files/entry_times.h"

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

TEntryTimes::TEntryTimes(const TTelegramList& list, int timeStampResolution) : list_(list) {
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

TEntryTime TEntryTimes::At(int position) const {
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

std::optional<std::int64_t> TEntryTimes::Between(int from, int to) const {
    const TTelEntry* a = list_.At(from);
    const TTelEntry* b = list_.At(to);
    if (a == nullptr || b == nullptr)
        return std::nullopt;
    const std::int64_t lmA = lineMonitor_[static_cast<std::size_t>(from)];
    const std::int64_t lmB = lineMonitor_[static_cast<std::size_t>(to)];
    if (lmA >= 0 && lmB >= 0)
        return lmB - lmA;
    if (a->ReceiveTime > 0 && b->ReceiveTime > 0)
        return b->ReceiveTime - a->ReceiveTime;
    return std::nullopt;
}

} // namespace protmon
