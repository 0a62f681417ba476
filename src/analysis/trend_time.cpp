#include "analysis/trend_time.h"

#include "model/telegram_list.h"
#include "model/time_difference.h"

namespace protmon {

namespace {

bool HasStamp(const TTelEntry& e) {
    return e.Channel != kNoChannel;
}

} // namespace

TimeBasis ChooseTimeBase(const TTelegramList& list, int timeStampResolution) {
    const TTelEntry* first = list.At(0);
    if (first == nullptr)
        return TimeBasis::Position;
    if (first->ReceiveTime != 0)
        return TimeBasis::Receive;
    if (HasStamp(*first) && timeStampResolution > 0)
        return TimeBasis::LineMonitor;
    return TimeBasis::Position;
}

std::int64_t TEntryClock::Advance(const TTelEntry& e, int position) {
    switch (base_) {
    case TimeBasis::Position:
        now_ = position;
        break;
    case TimeBasis::Receive:
        if (e.ReceiveTime != 0)
            now_ = e.ReceiveTime;
        if (!haveOrigin_ && e.ReceiveTime != 0) {
            origin_ = e.ReceiveTime;
            haveOrigin_ = true;
        }
        break;
    case TimeBasis::LineMonitor:
        if (!HasStamp(e))
            break;
        if (const std::int64_t d =
                haveLast_ ? TimeStampDifferenceUs(last_, TimeOf(e), resolution_) : 0;
            d > 0)
            now_ += d;
        haveLast_ = true;
        last_ = TimeOf(e);
        break;
    }
    return now_;
}

double TEntryClock::AxisValue(std::int64_t time) const {
    switch (base_) {
    case TimeBasis::Receive:
        return static_cast<double>(time - origin_) / 1e9;
    case TimeBasis::LineMonitor:
        return static_cast<double>(time) / 1e6;
    case TimeBasis::Position:
        break;
    }
    return static_cast<double>(time);
}

} // namespace protmon
