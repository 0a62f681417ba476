#pragma once

#include "model/capture_settings.h"
#include "model/tel_entry.h"
#include "model/telegram_list.h"
#include "model/time_difference.h"

#include <array>
#include <cstdint>
#include <vector>

namespace protmon {

// What an entry is for the transaction analysis.
enum class TransactionRole : std::uint8_t {
    Other,    // a raw chunk
    Request,  // coded telegram, read or write request
    Response, // coded telegram, read or write response
    Status,   // layout B: receive error, slave selection, status response
};

// What the analysis needs of the recording it looks at.
struct TTransactionSettings {
    Protocol Selection = Protocol::Trx5;
    // The Comm bit changes how a response's address finds its request.
    std::uint32_t SourceFlags = 0;
    // µs per line-monitor tick; 0 when unknown.
    int TimeStampResolution = 0;
};

// The compact record of one entry: what pairing and statistics read, so that neither has to look
// at the telegram list again.
struct TTransaction {
    TEntryTime Time;
    // Response: microseconds from its request, kUnknownTime without a request or a time.
    std::int64_t ResponseTimeUs = kUnknownTime;
    TransactionRole Role = TransactionRole::Other;
    std::uint8_t Address = 0; // Data[0]
    std::uint8_t Service = 0; // Data[1]: the status kind of a status entry
    // Response: its row shows an error text.
    bool Error = false;
    // Response: how many records back its request lies (1 to 9), 0 for an orphan.
    std::uint8_t RequestBack = 0;
    // Request: 1 once a response took it, else 0. A request is taken by its first response only.
    std::uint8_t Answers = 0;
};

// A response without a request: the decoder's search found none, or found a request that an
// earlier response had already taken (or the request has left the table since).
inline bool IsOrphan(const TTransaction& t) {
    return t.Role == TransactionRole::Response && t.RequestBack == 0;
}

// The records of the entries of a telegram list in order of arrival (index 0 the oldest), with
// every response paired to the request the decoder's request search finds, unless an earlier
// response took that request already: then the later one is an orphan (a lost request's response
// would otherwise show the time since an older, answered request). Fed one entry at a time
// during capture at constant cost per entry; it keeps at most `capacity` records, as the list's
// ring does, and drops the oldest when full. A response whose request is dropped becomes an
// orphan, exactly as the decoder no longer finds that request in the list.
class TTransactionTable {
public:
    // Empties the table for a recording with these settings; capacity is the list's Capacity.
    void Reset(const TTransactionSettings& settings, int capacity);
    // Reset, then every entry of the list oldest first (also a ring that has not been unwrapped).
    void Rebuild(const TTelegramList& list, const TTransactionSettings& settings);
    // The entry just written to the list; drops the oldest record when the table is full.
    void Append(const TTelEntry& entry);
    // The `count` newest entries of the list, oldest of them first: what a poll tick wrote.
    void AppendNewest(const TTelegramList& list, int count);

    int Size() const { return size_; }
    int Capacity() const { return static_cast<int>(ring_.size()); }
    const TTransactionSettings& Settings() const { return settings_; }
    // The record at arrival index 0 .. Size()-1.
    const TTransaction& At(int index) const { return ring_[Slot(index)]; }

    // Index of the request of the response at `index`, -1 for none.
    int RequestIndex(int index) const;
    // Index of the response that took the request at `index`, -1 for none.
    int ResponseIndex(int index) const;
    // "Go to partner": a response's request, a request's response; -1 for none.
    int PartnerIndex(int index) const;
    // Drive of a record: a request's address byte; for a response the address byte its request
    // carries (for an orphan the one it would carry, see RequestAddressFor).
    std::uint8_t DriveOf(int index) const;

private:
    std::size_t Slot(int index) const {
        return (head_ + static_cast<std::size_t>(index)) % ring_.size();
    }
    TTransaction& Mutable(int index) { return ring_[Slot(index)]; }
    void DropOldest();
    void PairResponse(TTransaction& response);

    TTransactionSettings settings_;
    std::vector<TTransaction> ring_;
    std::size_t head_ = 0;
    int size_ = 0;
};

// The request that the response at list `position` is paired with, as the table pairs it: the
// decoder's search, unless a response between the two found that request first; -1 for an
// orphan. For the analyses that read the list itself (value series); constant cost.
int PairedRequestPosition(const TTelegramList& list, int position, std::uint32_t sourceFlags);

// List position of the entry at arrival index `index`, and back: the same while the list is
// not a wrapped ring, i.e. whenever capture is stopped.
int ListPositionOf(const TTelegramList& list, int index);
int ArrivalIndexOf(const TTelegramList& list, int position);

} // namespace protmon
