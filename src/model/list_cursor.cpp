#include "model/list_cursor.h"

#include <algorithm>

namespace protmon {

void TListCursor::Reset(const TTelegramList& list) {
    taken_ = list.Written() - std::min<std::uint64_t>(list.Written(), list.Count());
    fresh_ = false;
}

void TListCursor::TakeNew(const TTelegramList& list, bool holdNewest, std::vector<int>& positions) {
    positions.clear();
    const std::uint64_t written = list.Written();
    const auto count = static_cast<std::uint64_t>(list.Count());
    if (fresh_)
        Reset(list);
    // Entries handed out by the list but no longer in it (overwritten, or gone with a Clear).
    if (written - taken_ > count) {
        lost_ += written - taken_ - count;
        taken_ = written - count;
    }
    std::uint64_t n = written - taken_;
    if (holdNewest && n > 0)
        --n;
    if (n == 0)
        return;
    const int oldest = list.WriteIndex() >= 1 ? list.WriteIndex() : 0;
    const int first = static_cast<int>(count - (written - taken_)); // arrival index
    const int size = static_cast<int>(count);
    for (int i = 0; i < static_cast<int>(n); ++i)
        positions.push_back((oldest + first + i) % size);
    taken_ += n;
}

std::uint64_t TListCursor::TakeCount(const TTelegramList& list) {
    const std::uint64_t n = list.Written() - taken_;
    taken_ = list.Written();
    fresh_ = false;
    return n;
}

TListCursor::TRange TListCursor::Next(const TTelegramList& list) const {
    const int count = list.Count();
    // Every entry written since the last look must have lengthened the list. A full ring
    // overwrites in place (even an exact full turn keeps the same entry objects and write index),
    // and a list that was cleared or loaded differs in its first entry or its count.
    const std::uint64_t written = list.Written() - taken_;
    const bool same = done_ <= count && written == static_cast<std::uint64_t>(count - done_) &&
                      list.At(0) == firstEntry_ && (done_ == 0 || list.At(done_ - 1) == lastEntry_);
    if (!same)
        return {true, 0, count};
    return {false, done_, count};
}

void TListCursor::Commit(const TTelegramList& list) {
    done_ = list.Count();
    taken_ = list.Written();
    fresh_ = false;
    firstEntry_ = list.At(0);
    lastEntry_ = list.At(done_ - 1);
}

} // namespace protmon
