#include "model/list_cursor.h"

#include <gtest/gtest.h>
#include <vector>

namespace protmon {
namespace {

// Entries are handed out once each, in arrival order, through wraps of the ring and the
// oldest-first rotation that Stop does.
TEST(RecorderCursor, EveryEntryOnceThroughWrapAndUnwrap) {
    TTelegramList list;
    list.SetBufferDepth(kMinBufferDepth);
    TListCursor cursor;
    std::vector<int> positions;
    std::vector<int> seen;
    int next = 0;
    const int batches[] = {3, 0, kMinBufferDepth - 1, 4, 7, 1};
    for (const int n : batches) {
        for (int i = 0; i < n; ++i)
            list.NewTelEntry()->Data[0] = static_cast<std::uint8_t>(next++);
        cursor.TakeNew(list, false, positions);
        for (const int p : positions)
            seen.push_back(list.At(p)->Data[0]);
    }
    list.NewTelEntry()->Data[0] = static_cast<std::uint8_t>(next++);
    list.UnwrapTelegramList();
    cursor.TakeNew(list, false, positions);
    for (const int p : positions)
        seen.push_back(list.At(p)->Data[0]);
    ASSERT_EQ(static_cast<int>(seen.size()), next);
    for (int i = 0; i < next; ++i)
        EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
}

// Entries are reused in place, so after a whole turn of the ring between two looks the entry taken
// last sits where it was, unchanged to the eye, while every entry is new; what the ring overwrote
// before a look is counted, not silently skipped.
TEST(RecorderCursor, WholeRingBetweenTwoLooks) {
    TTelegramList list;
    list.SetBufferDepth(kMinBufferDepth);
    TListCursor cursor;
    cursor.Reset(list);
    std::vector<int> positions;
    int next = 0;
    const auto write = [&](int n) {
        for (int i = 0; i < n; ++i)
            list.NewTelEntry()->Data[0] = static_cast<std::uint8_t>(next++);
    };
    const auto take = [&](bool hold) {
        cursor.TakeNew(list, hold, positions);
        std::vector<int> seen;
        for (const int p : positions)
            seen.push_back(list.At(p)->Data[0]);
        return seen;
    };
    const auto range = [](int from, int to) {
        std::vector<int> v;
        for (int i = from; i < to; ++i)
            v.push_back(i);
        return v;
    };
    write(3);
    EXPECT_EQ(take(false), range(0, 3));
    write(kMinBufferDepth);
    EXPECT_EQ(take(false), range(3, 3 + kMinBufferDepth));
    write(kMinBufferDepth + 4);
    EXPECT_EQ(take(true), range(17, 26));
    EXPECT_EQ(cursor.Lost(), 4u);
    EXPECT_EQ(take(false), range(26, 27));
}

// Found by the value series harness: a ring that made exactly one turn since the last look has its
// write index back at 0 and the same entry objects, yet every entry in it is new.
TEST(ListFollower, RingBackAtIndexZeroStartsOver) {
    TTelegramList list;
    list.SetBufferDepth(kMinBufferDepth);
    for (int i = 0; i < kMinBufferDepth; ++i)
        list.NewTelEntry();
    TListCursor follower;
    EXPECT_TRUE(follower.Next(list).Restart);
    follower.Commit(list);
    EXPECT_FALSE(follower.Next(list).Restart);
    for (int i = 0; i < kMinBufferDepth; ++i)
        list.NewTelEntry();
    ASSERT_EQ(list.WriteIndex(), 0);
    const TListCursor::TRange range = follower.Next(list);
    EXPECT_TRUE(range.Restart);
    EXPECT_EQ(range.To, kMinBufferDepth);
    // Also a turn that starts and ends at write index 0 (a loaded full ring that a capture goes on
    // filling).
    follower.Commit(list);
    for (int i = 0; i < kMinBufferDepth; ++i)
        list.NewTelEntry();
    ASSERT_EQ(list.WriteIndex(), 0);
    EXPECT_TRUE(follower.Next(list).Restart);
}

} // namespace
} // namespace protmon
