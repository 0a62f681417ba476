#include "session/recorder_cursor.h"
#include "session/recorder_policy.h"

#include <gtest/gtest.h>

namespace protmon {
namespace {

TEST(RecorderPolicy, FileNameRotationAndRing) {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    EXPECT_EQ(RecordFileName("d/rec", t, 7, RecordFormat::MonitorFile),
              "d/rec-20240305-070809-007.bu5");
    EXPECT_EQ(RecordFileName("r", t, 1234, RecordFormat::Pcapng), "r-20240305-070809-1234.pcapng");

    struct Case {
        long long entries;
        double seconds;
        TRotationPolicy policy;
        bool due;
    };
    const Case cases[] = {
        {99, 0, {100, 0}, false}, {100, 0, {100, 0}, true}, {5, 9.9, {0, 10}, false},
        {5, 10, {0, 10}, true},   {0, 99, {0, 10}, false},  {1LL << 40, 1e9, {}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.policy.Due(c.entries, c.seconds), c.due) << c.entries << " " << c.seconds;

    TFileRing ring(2);
    EXPECT_TRUE(ring.Add("a", 10).empty());
    EXPECT_TRUE(ring.Add("b", 10).empty());
    EXPECT_EQ(ring.Add("c", 4), std::vector<std::string>{"a"});
    // Newest entry is c's last; 4 back is b's last; 14 back was in a, gone.
    EXPECT_EQ(ring.Locate(0).Path, "c");
    EXPECT_EQ(ring.Locate(0).Position, 3);
    EXPECT_EQ(ring.Locate(4).Path, "b");
    EXPECT_EQ(ring.Locate(4).Position, 9);
    EXPECT_TRUE(ring.Locate(14).Path.empty());
    EXPECT_TRUE(ring.KeepBefore(-1).empty());
    EXPECT_EQ(ring.KeepBefore(0), std::vector<std::string>{"b"});
}

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

} // namespace
} // namespace protmon
