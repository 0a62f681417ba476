#include "model/time_difference.h"

#include <cmath>

namespace protmon {

namespace {

constexpr std::int64_t kNanosecondsPerMicrosecond = 1000;

} // namespace

std::int64_t ReceiveTimeDifferenceUs(TEntryTime earlier, TEntryTime later) {
    if (earlier.ReceiveTime == 0 || later.ReceiveTime == 0 ||
        later.ReceiveTime < earlier.ReceiveTime)
        return kUnknownTime;
    const std::int64_t ns = later.ReceiveTime - earlier.ReceiveTime;
    // Rounded without adding first: a difference near the type's limit (times read from a file)
    // must not overflow.
    return ns / kNanosecondsPerMicrosecond +
           (ns % kNanosecondsPerMicrosecond >= kNanosecondsPerMicrosecond / 2 ? 1 : 0);
}

std::int64_t TimeStampDifferenceUs(TEntryTime earlier, TEntryTime later, int resolutionUs) {
    if (earlier.Channel == kNoChannel || later.Channel == kNoChannel || resolutionUs <= 0)
        return kUnknownTime;
    const std::int64_t ticks =
        (std::int64_t{later.TimeStamp} - earlier.TimeStamp + kTimeStampWrap) % kTimeStampWrap;
    const std::int64_t within = ticks * resolutionUs;
    const std::int64_t wallUs = ReceiveTimeDifferenceUs(earlier, later);
    if (wallUs == kUnknownTime)
        return within;
    // Receive times are poll-tick times, a few milliseconds off at most: the nearest whole number
    // of wrap periods explains the rest.
    const std::int64_t period = kTimeStampWrap * resolutionUs;
    const std::int64_t wraps =
        std::llround(static_cast<double>(wallUs - within) / static_cast<double>(period));
    return wraps > 0 ? within + wraps * period : within;
}

std::int64_t ResponseTimeUs(TEntryTime request, TEntryTime response, int resolutionUs) {
    const std::int64_t stamped = TimeStampDifferenceUs(request, response, resolutionUs);
    return stamped != kUnknownTime ? stamped : ReceiveTimeDifferenceUs(request, response);
}

} // namespace protmon
