#pragma once

#include "analysis/trend_follow.h"
#include "analysis/trend_time.h"
#include "analysis/value_series.h"

#include <cstdint>
#include <map>
#include <vector>

namespace protmon {

struct TResponseTimePoint {
    int Position = 0;      // of the response
    std::int64_t Time = 0; // of the response, on the series' time base
    std::int64_t Microseconds = 0;
    bool Error = false; // the response shows an error
};

// Response times per drive: every response (a coded telegram of class read or write response)
// paired with the request FindRequestForResponse finds for it, where both carry times. The drive
// is the request's address byte. Kept up to date with a growing list.
class TResponseTimeSeries {
public:
    void Update(const TTelegramList& list, const TTrendContext& ctx);

    TTimeBase TimeBase() const { return clock_.Base(); }
    // Drives with at least one response time, ascending.
    std::vector<int> Drives() const;
    // The points of one drive in list order; empty for a drive without any.
    const std::vector<TResponseTimePoint>& Points(int drive) const;

private:
    TListFollower follower_;
    TEntryClock clock_;
    std::uint32_t sourceFlags_ = 0;
    int resolution_ = 0;
    std::map<int, std::vector<TResponseTimePoint>> drives_;
};

// Logarithmic histogram bins: kBinsPerDecade per power of ten from 1 µs on.
constexpr int kBinsPerDecade = 4;
// Bin of a response time (0 for 1 µs and below).
int ResponseTimeBin(std::int64_t microseconds);
// Lower edge of a bin in microseconds.
double ResponseTimeBinStart(int bin);

} // namespace protmon
