#pragma once

#include "analysis/transaction_table.h"
#include "model/capture_settings.h"
#include "model/tel_entry.h"
#include "session/metrics_snapshot.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace protmon {

// A counter fed with a source's running total that may start over (a new capture resets the
// session's drop counts): it only ever grows.
class TMonotonicCount {
public:
    void Update(std::uint64_t total) {
        sum_ += total >= last_ ? total - last_ : total;
        last_ = total;
    }
    std::uint64_t Value() const { return sum_; }

private:
    std::uint64_t last_ = 0;
    std::uint64_t sum_ = 0;
};

// The newest snapshot, handed between the capture thread and the scrapes: the lock covers only
// the exchange of a pointer, so neither side waits on the other's work.
class TSnapshotBox {
public:
    void Publish(std::shared_ptr<const TMetricsSnapshot> snapshot);
    std::shared_ptr<const TMetricsSnapshot> Newest() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const TMetricsSnapshot> newest_;
};

// Counts what the recorder writes, per drive, service and class, with the analysis' pairing
// (first response takes a request; a later or unmatched one is an orphan), so that once the line
// is quiet the counts equal the statistics of the recorded files added up.
//
// Requests and responses count when they are written. A request counts as unanswered once it
// cannot be answered any more: nine records came after it (the request search reaches no
// further), its file ended (a file's statistics pair only within the file), or the line has been
// quiet for kQuietSettle. A response that arrives after such a quiet spell is an orphan here,
// while the file's statistics would still pair it; a response over two seconds late after total
// silence is the only case in which the two differ.
class TRecorderMetrics {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kQuietSettle = std::chrono::seconds(2);
    static constexpr Clock::duration kPublishInterval = std::chrono::milliseconds(200);

    TRecorderMetrics(std::string version, Clock::time_point start);

    // A capture started (also after a reconnect) with these settings.
    void NewCapture(const TCaptureSettings& settings);
    // The recorder began file number `filesBegun` (1 for the first); entries written from now go
    // to it.
    void FileBegun(long long filesBegun);
    // An entry the recorder wrote, at `now`.
    void Add(const TTelEntry& entry, Clock::time_point now);
    // The state of the source, with running totals that may start over at a new capture.
    struct TSource {
        bool Connected = false;
        std::uint64_t RingDrops = 0;   // the receive rings' (per capture)
        std::uint64_t ListLost = 0;    // entries the list overwrote before they were written
        std::uint64_t SystemDrops = 0; // the system's (per capture)
    };
    void SetSource(const TSource& source);
    // Whether Tick publishes now: the time to hand over the source's state.
    bool PublishDue(Clock::time_point now) const { return now - published_ >= kPublishInterval; }
    // Settles after a quiet spell and publishes a snapshot when the last is kPublishInterval old.
    void Tick(Clock::time_point now);
    // Settles and publishes at once (end of recording, tests).
    void Flush(Clock::time_point now);

    const TSnapshotBox& Snapshots() const { return box_; }

private:
    struct TDriveCounts {
        std::uint64_t Orphans = 0;
        std::array<TResponseTimeHistogram, 2> Times;
        std::map<int, TServiceCounts> Services;
    };
    struct TChannel {
        std::uint64_t Bytes = 0;
        // Bits per second slot of the last ten seconds, and the second each slot holds.
        std::array<std::uint64_t, 10> Bits{};
        std::array<long long, 10> Second{};
    };

    void Count(const TTelEntry& entry, Clock::time_point now);
    void CountTransaction(int index);
    void SettleUpTo(std::uint64_t appended);
    void StartPairing();
    TServiceCounts& Service(int drive, int key);
    std::shared_ptr<const TMetricsSnapshot> MakeSnapshot(Clock::time_point now) const;

    std::string version_;
    Clock::time_point start_;
    TCaptureSettings settings_;
    double baud_ = 0;
    int bitsPerByte_ = 11;
    TTransactionTable table_;
    std::uint64_t appended_ = 0; // records appended to the table since it was last emptied
    std::uint64_t settled_ = 0;  // of those, how many can no longer change
    long long filesBegun_ = 0;
    std::map<int, TDriveCounts> drives_;
    std::map<int, TChannel> channels_;
    std::uint64_t entries_ = 0;
    std::array<std::uint64_t, kReceiveErrorKinds> receiveErrors_{};
    TMonotonicCount ringDrops_;
    TMonotonicCount listLost_;
    TMonotonicCount systemDrops_;
    bool connected_ = false;
    std::uint64_t fileChanges_ = 0;
    Clock::time_point lastEntry_;
    Clock::time_point lastTelegram_;
    Clock::time_point published_{};
    TSnapshotBox box_;
};

// The label a service is shown under: the decoder's class text without "Req"/"Rsp", and the
// service number, lower case with '_' for blanks ("read_0", "write_14").
std::string ServiceLabel(int key);

} // namespace protmon
