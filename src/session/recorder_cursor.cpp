#include "session/recorder_cursor.h"

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

} // namespace protmon
