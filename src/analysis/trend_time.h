#pragma once

#include "model/tel_entry.h"
#include "model/time_difference.h"

#include <cstdint>

namespace protmon {

class TTelegramList;

// Receive times where the first entry has one, else line-monitor stamps where it carries one and
// the resolution is known, else positions. A capture gives all its entries the same kind of time.
TimeBasis ChooseTimeBase(const TTelegramList& list, int timeStampResolution);

// Times of consecutive entries on one time base. Fed every entry in list order (not just the
// points of a series), so the line-monitor stamps are unwrapped across all of them.
class TEntryClock {
public:
    TEntryClock() = default;
    TEntryClock(TimeBasis base, int timeStampResolution)
        : base_(base), resolution_(timeStampResolution) {}

    TimeBasis Base() const { return base_; }
    // Time of the entry at `position`; an entry without the chosen kind of time gets the time of
    // the one before it.
    std::int64_t Advance(const TTelEntry& e, int position);
    // A time of this clock as the time axes plot it: seconds since the first entry (receive times,
    // line-monitor stamps), or the position itself.
    double AxisValue(std::int64_t time) const;

private:
    TimeBasis base_ = TimeBasis::Position;
    int resolution_ = 0;
    std::int64_t now_ = 0;
    // Receive time of the first entry with one, the zero of the axis.
    std::int64_t origin_ = 0;
    bool haveOrigin_ = false;
    // Stamp and receive time of the last entry with a line-monitor stamp.
    bool haveLast_ = false;
    TEntryTime last_{};
};

} // namespace protmon
