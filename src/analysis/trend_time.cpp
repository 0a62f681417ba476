#include "analysis/trend_time.h"

#include "model/telegram_list.h"

namespace protmon {

namespace {

constexpr std::int64_t kStampTicks = 65536;
constexpr std::int64_t kNsPerUs = 1000;

bool HasStamp(const TTelEntry& e) {
    return e.Channel != kNoChannel;
}

} // namespace

TTimeBase ChooseTimeBase(const TTelegramList& list, int timeStampResolution) {
    const TTelEntry* first = list.At(0);
    if (first == nullptr)
        return TTimeBase::Position;
    if (first->ReceiveTime != 0)
        return TTimeBase::Receive;
    if (HasStamp(*first) && timeStampResolution > 0)
        return TTimeBase::LineMonitor;
    return TTimeBase::Position;
}

std::int64_t LineMonitorDifferenceUs(const TTelEntry& earlier, const TTelEntry& later,
                                     int timeStampResolution) {
    const std::int64_t ticks =
        (static_cast<std::int64_t>(later.TimeStamp) - earlier.TimeStamp + kStampTicks) %
        kStampTicks;
    const std::int64_t difference = ticks * timeStampResolution;
    if (earlier.ReceiveTime == 0 || later.ReceiveTime == 0)
        return difference;
    const std::int64_t period = kStampTicks * timeStampResolution;
    const std::int64_t received = (later.ReceiveTime - earlier.ReceiveTime) / kNsPerUs;
    // Receive times are those of coarse poll ticks: only whole periods beyond the stamp
    // difference count, rounded to the nearest.
    if (received - difference < period / 2)
        return difference;
    return difference + (received - difference + period / 2) / period * period;
}

std::optional<std::int64_t> ResponseTimeUs(const TTelEntry& request, const TTelEntry& response,
                                           int timeStampResolution) {
    if (HasStamp(request) && HasStamp(response) && timeStampResolution > 0)
        return LineMonitorDifferenceUs(request, response, timeStampResolution);
    if (request.ReceiveTime != 0 && response.ReceiveTime != 0)
        return (response.ReceiveTime - request.ReceiveTime) / kNsPerUs;
    return std::nullopt;
}

std::int64_t TEntryClock::Advance(const TTelEntry& e, int position) {
    switch (base_) {
    case TTimeBase::Position:
        now_ = position;
        break;
    case TTimeBase::Receive:
        if (e.ReceiveTime != 0)
            now_ = e.ReceiveTime;
        break;
    case TTimeBase::LineMonitor:
        if (!HasStamp(e))
            break;
        if (haveLast_)
            now_ += LineMonitorDifferenceUs(last_, e, resolution_);
        haveLast_ = true;
        last_.TimeStamp = e.TimeStamp;
        last_.ReceiveTime = e.ReceiveTime;
        break;
    }
    return now_;
}

} // namespace protmon
