#pragma once

#include "model/tel_entry.h"

#include <cstdint>

namespace protmon {

// A time that could not be told (no line-monitor stamps and no receive times on both sides).
constexpr std::int64_t kUnknownTime = -1;

// Ticks after which the 16-bit line-monitor time stamp starts again at 0.
constexpr std::int64_t kTimeStampWrap = 65536;

// Where an entry's time comes from, in order of preference. A capture gives all its entries the
// same kind of time.
enum class TimeBasis : std::uint8_t {
    Receive = 0,     // the entries' receive times, nanoseconds since 1970-01-01 UTC
    LineMonitor = 1, // the line monitor's time stamps unwrapped from the first stamped entry
    Position = 2,    // nothing recorded: the entry's position in the list
};
constexpr std::uint8_t kTimeBasisCount = 3;

// The time fields of an entry, kept apart so that a compact record can carry them.
struct TEntryTime {
    std::uint16_t Channel = kNoChannel;
    std::uint16_t TimeStamp = 0;
    std::int64_t ReceiveTime = 0;
};

inline TEntryTime TimeOf(const TTelEntry& e) {
    return {e.Channel, e.TimeStamp, e.ReceiveTime};
}

// Microseconds from `earlier` to `later` by their line-monitor time stamps: the tick difference
// modulo 65536 times the resolution, plus the whole wrap periods that the receive times show to
// have passed on top (only when both entries carry a receive time). kUnknownTime when either
// entry lacks line-monitor information or the resolution is not above 0.
std::int64_t TimeStampDifferenceUs(TEntryTime earlier, TEntryTime later, int resolutionUs);

// Microseconds between the receive times of two entries, rounded; kUnknownTime when either is 0
// or the later one is earlier (the wall clock was set back).
std::int64_t ReceiveTimeDifferenceUs(TEntryTime earlier, TEntryTime later);

// Time from a request to its response: by the line-monitor stamps where both carry them and the
// resolution is known, else by the receive times, else kUnknownTime.
std::int64_t ResponseTimeUs(TEntryTime request, TEntryTime response, int resolutionUs);

} // namespace protmon
