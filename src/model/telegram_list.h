#pragma once

#include "model/tel_entry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace protmon {

constexpr int kDefaultBufferDepth = 10000;
constexpr int kMinBufferDepth = 10;

// Ordered list of recorded entries with a fixed capacity; once full it is a ring whose oldest
// entry sits at WriteIndex. Entries are allocated once and reused, so capture at full buffer
// allocates nothing.
class TTelegramList {
public:
    TTelegramList();

    // The entry the next telegram is written into, as a fresh one: Data and TimeStamp 0, Channel
    // kNoChannel.
    TTelEntry* NewTelEntry();
    // The entry written just before the one most recently handed out; nullptr if the list is
    // empty (the caller reports that, the list has no user).
    TTelEntry* GetLastTelEntry();
    // The entry NewTelEntry handed out most recently; nullptr if the list is empty.
    const TTelEntry* Newest() const;
    // Reorders a wrapped ring oldest-first; WriteIndex becomes 0.
    void UnwrapTelegramList();
    // Destroys all entries; Capacity returns to BufferDepth.
    void Clear();
    // Sets BufferDepth and Capacity (at least kMinBufferDepth); drops entries beyond it.
    void SetBufferDepth(int depth);

    // Appends an entry read from a file; Capacity and WriteIndex are fixed by FinishLoading.
    TTelEntry* AppendEntry();
    // After a file was read: growing, or a full ring if the file held more than Capacity.
    void FinishLoading();

    // Receive time given to every entry handed out by NewTelEntry from now on (0 = unknown).
    void SetReceiveTime(std::int64_t nanoseconds) { receiveTime_ = nanoseconds; }

    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    // nullptr for a position outside the list.
    TTelEntry* At(int position);
    const TTelEntry* At(int position) const;

    int WriteIndex() const { return writeIndex_; }
    int Capacity() const { return capacity_; }
    int BufferDepth() const { return bufferDepth_; }
    // Entries handed out by NewTelEntry so far: what a poll tick wrote is the difference.
    std::uint64_t Written() const { return written_; }

private:
    std::vector<std::unique_ptr<TTelEntry>> entries_;
    int writeIndex_ = -1;
    int capacity_ = kDefaultBufferDepth;
    int bufferDepth_ = kDefaultBufferDepth;
    std::int64_t receiveTime_ = 0;
    std::uint64_t written_ = 0;
};

} // namespace protmon
