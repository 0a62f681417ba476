#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace protmon {

// Upper bounds of the response-time buckets in microseconds: 0.5 ms to 2 s, 1-2-5 steps.
inline constexpr std::array<std::int64_t, 12> kResponseTimeBucketsUs = {
    500,    1'000,   2'000,   5'000,   10'000,    20'000,
    50'000, 100'000, 200'000, 500'000, 1'000'000, 2'000'000};

struct TResponseTimeHistogram {
    // Observations up to each bound (not cumulative; the exposition sums them).
    std::array<std::uint64_t, kResponseTimeBucketsUs.size()> Buckets{};
    std::uint64_t Count = 0;
    std::int64_t SumUs = 0;

    void Observe(std::int64_t us);
};

// Counts of one service of one drive. Key: bits 5..0 the service number, bit 6 the write class.
struct TServiceCounts {
    int Key = 0;
    std::uint64_t Requests = 0;
    std::uint64_t Responses = 0;
    std::uint64_t Unanswered = 0;
    std::uint64_t ErrorResponses = 0;
};

struct TDriveMetrics {
    int Address = 0;
    std::uint64_t OrphanResponses = 0;
    std::array<TResponseTimeHistogram, 2> Times; // read, write
    std::vector<TServiceCounts> Services;        // by key
};

// Receive errors the line reports as status entries, in the order they are exposed.
enum class ReceiveErrorKind : std::uint8_t { Parity, Framing, Overrun, Bcc, IllegalFrame };
inline constexpr std::size_t kReceiveErrorKinds = 5;

struct TChannelMetrics {
    int Number = 1;          // as the box numbers its channels: 1, 2; 1 for a direct port
    std::uint64_t Bytes = 0; // telegram bytes as recorded
    double LoadRatio = 0;    // bits on the wire over the baud rate, last 10 s
};

// What the recorder has counted since the process started, as one immutable value: the capture
// thread makes a new one now and then and a scrape formats whichever is newest.
struct TMetricsSnapshot {
    std::vector<TDriveMetrics> Drives; // by address
    std::uint64_t Entries = 0;
    std::array<std::uint64_t, kReceiveErrorKinds> ReceiveErrors{};
    std::uint64_t DroppedRingFull = 0;
    std::uint64_t DroppedSystem = 0;
    std::vector<TChannelMetrics> Channels; // by number
    bool Connected = false;
    // The last telegram's arrival, or the recorder's start before the first.
    std::chrono::steady_clock::time_point LastTelegram{};
    std::uint64_t FileChanges = 0;
    std::string Version;
};

} // namespace protmon
