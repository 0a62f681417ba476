#include "session/recorder_cursor.h"

namespace protmon {

int TListCursor::FindLast(const TTelegramList& list) const {
    if (last_ == nullptr)
        return -1;
    if (list.At(lastPosition_) == last_)
        return lastPosition_;
    // Stop rotated the ring: one search per capture.
    for (int i = 0; i < list.Count(); ++i)
        if (list.At(i) == last_)
            return i;
    return -1;
}

void TListCursor::TakeNew(const TTelegramList& list, bool holdNewest, std::vector<int>& positions) {
    positions.clear();
    const int count = list.Count();
    if (count == 0)
        return;
    const int newest = list.WriteIndex() >= 1 ? list.WriteIndex() - 1 : count - 1;
    const int oldest = list.WriteIndex() >= 1 ? list.WriteIndex() : 0;
    const int found = FindLast(list);
    if (found == newest)
        return;
    const int next = found >= 0 ? (found + 1) % count : oldest;
    int n = (newest - next + count) % count + 1;
    if (holdNewest)
        --n;
    if (n <= 0)
        return;
    for (int i = 0; i < n; ++i)
        positions.push_back((next + i) % count);
    lastPosition_ = positions.back();
    last_ = list.At(lastPosition_);
}

} // namespace protmon
