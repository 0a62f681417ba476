#pragma once

#include "analysis/transaction_table.h"
#include "analysis/trend_time.h"
#include "analysis/value_series.h"
#include "model/list_cursor.h"

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

// What the response-time window shows of one drive, kept up to date with its points.
struct TDriveResponseTimes {
    std::vector<TResponseTimePoint> Points;
    // Per point: time axis value (TEntryClock::AxisValue) and response time in milliseconds, at
    // least a microsecond so that a logarithmic axis can show it.
    std::vector<double> X;
    std::vector<double> Ms;
    std::map<int, int> Bins; // histogram bin -> responses
};

// Response times per drive from the pairs of the transaction table, where both entries of a pair
// carry times; the drive is the request's address byte. Kept up to date with a growing list.
class TResponseTimeSeries {
public:
    void Update(const TTelegramList& list, const TTrendContext& ctx);

    TimeBasis TimeBase() const { return clock_.Base(); }
    // Drives with at least one response time, ascending.
    std::vector<int> Drives() const;
    // The points of one drive in list order; empty for a drive without any.
    const std::vector<TResponseTimePoint>& Points(int drive) const { return Drive(drive).Points; }
    const TDriveResponseTimes& Drive(int drive) const;
    // Changes whenever the series was built anew (another list, a wrapped ring, other settings).
    std::uint64_t Generation() const { return generation_; }

private:
    void Take(const TTelegramList& list, int index);

    TListCursor follower_;
    TTransactionTable table_;
    TEntryClock clock_;
    std::map<int, TDriveResponseTimes> drives_;
    std::uint64_t generation_ = 0;
};

// Logarithmic histogram bins on round numbers: 1, 2 and 5 times each power of ten from 1 µs on.
constexpr int kBinsPerDecade = 3;
// Bin of a response time (0 for 1 µs and below).
int ResponseTimeBin(std::int64_t microseconds);
// Lower edge of a bin in microseconds.
double ResponseTimeBinStart(int bin);

} // namespace protmon
