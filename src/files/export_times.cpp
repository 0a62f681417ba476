#include "files/export_times.h"

#include "analysis/trend_time.h"
#include "model/line_monitor_settings.h"

namespace protmon {

namespace {

constexpr std::int64_t kNsPerUs = 1000;
constexpr std::int64_t kNsPerMs = 1'000'000;

} // namespace

TExportTimes::TExportTimes(const TTelegramList& list, int timeStampResolution) : list_(list) {
    lineMonitor_.assign(static_cast<std::size_t>(list.Count()), -1);
    if (!IsTimeStampResolution(timeStampResolution))
        return;
    TEntryClock clock(TimeBasis::LineMonitor, timeStampResolution);
    for (int p = 0; p < list.Count(); ++p) {
        const TTelEntry& e = *list.At(p);
        if (e.Channel != kNoChannel)
            lineMonitor_[static_cast<std::size_t>(p)] = clock.Advance(e, p) * kNsPerUs;
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
