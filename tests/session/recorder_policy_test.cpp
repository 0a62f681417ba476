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
    EXPECT_EQ(RecordFileName("d/rec", t, 7, RecordingFormat::MonitorFile),
              "d/rec-20240305-070809-007.bu5");
    EXPECT_EQ(RecordFileName("r", t, 1234, RecordingFormat::Pcapng),
              "r-20240305-070809-1234.pcapng");

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

} // namespace
} // namespace protmon
