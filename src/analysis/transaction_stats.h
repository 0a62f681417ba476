#pragma once

#include "analysis/transaction_table.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace protmon {

// Response times of one group, in microseconds. Count 0: no time known, the others are 0.
struct TResponseTimeSummary {
    std::int64_t Count = 0;
    std::int64_t MinUs = 0;
    // The mean in tenths of a microsecond, rounded half up.
    std::int64_t MeanTenthsUs = 0;
    // 95th percentile by nearest rank: the value at rank ceil(0.95 * Count) in ascending order.
    std::int64_t P95Us = 0;
    std::int64_t MaxUs = 0;
};

struct TTransactionCounters {
    std::int64_t Requests = 0;
    std::int64_t Responses = 0;
    std::int64_t Unanswered = 0;
    std::int64_t ErrorResponses = 0;
    // Responses without a request of their own (see IsOrphan): counted under the drive their
    // request would carry. Responses - OrphanResponses = Requests - Unanswered.
    std::int64_t OrphanResponses = 0;
    TResponseTimeSummary Times;
};

struct TServiceStats {
    int Service = 0;    // 0 .. 63
    bool Write = false; // class bit 6 of the service byte
    TTransactionCounters Counters;
};

struct TDriveStats {
    int Address = 0; // the request's address byte
    TTransactionCounters Counters;
    // Sorted by service number, read before write.
    std::vector<TServiceStats> Services;
};

struct TTransactionStats {
    std::int64_t Entries = 0;
    // Status entries by the text the decoder shows for their kind, in order of the kind number.
    std::vector<std::pair<std::string, std::int64_t>> Status;
    // Sorted by address; only drives with at least one request or response.
    std::vector<TDriveStats> Drives;
};

// The text a status kind is counted under: the decoder's "Additional" text for the receive
// errors ("BCC", "Illegal Frame", "Unknown:7"); for the kinds whose text carries a number, the
// fixed part of their row ("Rsp Write OK", "Rsp Write ERROR", "Rsp Read ERROR", "Select").
std::string StatusKindText(std::uint8_t kind);

// Statistics over every record of the table, or over those whose arrival index has a true entry
// in `counted` (same size as the table) when given. Pairs are those of the whole table: a counted
// response keeps its response time even when its request is not counted. One pass over the
// compact records plus a selection per group; the telegram list is not read.
TTransactionStats ComputeStatistics(const TTransactionTable& table,
                                    const std::vector<bool>* counted = nullptr);

// The statistics of a table that grows during a capture, counting each record once: a request
// can still be answered by one of the next nine records, so only those newest records are counted
// afresh at each update. Starts over when the table holds another recording (cleared, rebuilt,
// or a full ring that dropped its oldest records). Gives what ComputeStatistics gives.
class TStatisticsFollower {
public:
    TStatisticsFollower();
    ~TStatisticsFollower();
    TStatisticsFollower(TStatisticsFollower&&) noexcept;
    TStatisticsFollower& operator=(TStatisticsFollower&&) noexcept;

    TTransactionStats Update(const TTransactionTable& table);
    // Records counted once and for all by the last update (for tests).
    int FinalRecords() const;

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

} // namespace protmon
