#pragma once

#include "model/telegram_list.h"
#include "model/time_difference.h"

#include <cstdint>
#include <vector>

namespace protmon {

struct TExportTime {
    std::int64_t Nanoseconds = 0;
    TimeBasis Basis = TimeBasis::Position;
};

// Times of the entries of one recording. The line-monitor time needs the wraps of the 16-bit
// counter before each entry, so the list is walked once up front.
class TExportTimes {
public:
    // `timeStampResolution`: µs per tick of the recording; without one of the line monitor's
    // resolutions the time stamps give no time.
    TExportTimes(const TTelegramList& list, int timeStampResolution);

    TExportTime At(int position) const;

private:
    const TTelegramList& list_;
    // Nanoseconds since the first stamped entry; -1 for entries without line-monitor data.
    std::vector<std::int64_t> lineMonitor_;
};

} // namespace protmon
