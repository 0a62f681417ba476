#include "analysis/trend_decimate.h"
#include "analysis/trend_response_times.h"
#include "analysis/value_series.h"
#include "descriptions/cfg_list.h"
#include "model/telegram_list.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace protmon;

namespace {

using Telegram = std::vector<int>;

void Append(TTelegramList& list, const Telegram& bytes, std::int64_t receiveTime = 0) {
    TTelEntry* e = list.NewTelEntry();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        e->Data[i] = static_cast<std::uint8_t>(bytes[i]);
    e->ReceiveTime = receiveTime;
}

TTelegramList MakeList(const std::vector<Telegram>& telegrams) {
    TTelegramList list;
    for (const Telegram& t : telegrams)
        Append(list, t);
    return list;
}

const TCfgRec& SampleSet() {
    static TZXCfgList sets;
    static const int index = sets.LoadDescriptionFile(PROTMON_TEST_DATA "/Para0001.bin", false);
    return *sets.GetCfg(index);
}

struct Expected {
    int Position;
    double Value;
    std::string Text = {};
};

struct SeriesCase {
    const char* What;
    std::vector<Telegram> Telegrams;
    TSeriesKey Key;
    bool WithSet;
    std::vector<Expected> Points;
    std::string Unit = {};
    std::uint32_t Flags = 0;
};

// Read of address 0x0080 (output frequency, 1/100 Hz) by drive 2, answered with `value`.
std::vector<Telegram> ReadFrequency(int value, int status = 0) {
    return {{2, 0x00, 0x00, 0x80, 0x01},
            {2, 0x80, (value >> 24) & 0xFF, (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF,
             status}};
}

std::vector<Telegram> Join(std::initializer_list<std::vector<Telegram>> parts) {
    std::vector<Telegram> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace

TEST(ValueSeries, PointsOfOneDriveAndParameter) {
    const SeriesCase cases[] = {
        {"read response paired through its request, raw",
         ReadFrequency(5000),
         {2, 0x80},
         false,
         {{1, 5000}}},
        {"scaled with its unit", ReadFrequency(5000), {2, 0x80}, true, {{1, 50.0}}, "Hz"},
        {"raw values are signed 32-bit", ReadFrequency(-1), {2, 0x80}, false, {{1, -1}}},
        {"an error response gives no point", ReadFrequency(5000, 2), {2, 0x80}, false, {}},
        {"a response without its request gives no point",
         {{2, 0x80, 0, 0, 0x13, 0x88, 0}},
         {2, 0x80},
         false,
         {}},
        // The request for another parameter was lost to a BCC error (status entry): its
        // response finds the answered request and is no value of that one's parameter.
        {"a second response to an answered request gives no point",
         Join({ReadFrequency(100), {{0, 1, 0}, {2, 0x80, 0, 0, 0, 7, 0}}}),
         {2, 0x80},
         false,
         {{1, 100}}},
        {"another drive, another parameter",
         Join({ReadFrequency(100),
               {{3, 0x00, 0x00, 0x80, 1}, {3, 0x80, 0, 0, 0, 7, 0}},
               {{2, 0x00, 0x00, 0x81, 1}, {2, 0x80, 0, 0, 0, 9, 0}}}),
         {2, 0x80},
         false,
         {{1, 100}}},
        {"write request of service 0 and 1 carries address and value",
         {{2, 0x40, 0x00, 0x80, 0, 0, 0x03, 0xE8, 1},
          {2, 0xC0, 0},
          {2, 0x41, 0x00, 0x80, 0, 0, 0, 5, 0}},
         {2, 0x80},
         true,
         {{0, 10.0}, {2, 0.05}},
         "Hz"},
        {"with the Comm bit the response comes from the next address",
         {{2, 0x00, 0x00, 0x80, 1}, {3, 0x80, 0, 0, 0x13, 0x88, 0}},
         {2, 0x80},
         false,
         {{1, 5000}},
         {},
         kSourceComm},
        {"process+parameter write and read",
         {{2, 0x72, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x80, 0, 0, 0x01, 0xF4},
          {2, 0xF2},
          {2, 0x72, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x80},
          {2, 0xF2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x02, 0x58, 0}},
         {2, 0x80},
         false,
         {{0, 500}, {3, 600}}},
        {"plain text keeps the raw number and the text",
         {{2, 0x00, 0x01, 0x00, 1}, {2, 0x80, 0, 0, 0, 0x13, 0}},
         {2, 0x100},
         true,
         {{1, 19, "Ready+Running+No fault+No warning+Forward+0000h"}}},
        {"a parameter the set does not describe stays raw",
         {{2, 0x00, 0x70, 0x00, 1}, {2, 0x80, 0, 0, 0, 1, 0}},
         {2, 0x7000},
         true,
         {{1, 1}}},
        {"a value the description cannot compute gives no point",
         {{2, 0x00, 0x03, 0x0D, 1}, {2, 0x80, 0, 0, 0, 1, 0}},
         {2, 0x30D},
         true,
         {},
         "V"},
    };
    for (const SeriesCase& c : cases) {
        SCOPED_TRACE(c.What);
        const TTelegramList list = MakeList(c.Telegrams);
        TTrendContext ctx;
        ctx.SourceFlags = c.Flags;
        ctx.Set = c.WithSet ? &SampleSet() : nullptr;
        TValueSeriesBuilder builder(c.Key);
        builder.Update(list, ctx);
        const TValueSeries& s = builder.Series();
        EXPECT_EQ(s.Scale.Unit, c.Unit);
        ASSERT_EQ(s.Points.size(), c.Points.size());
        for (std::size_t i = 0; i < c.Points.size(); ++i) {
            EXPECT_EQ(s.Points[i].Position, c.Points[i].Position);
            EXPECT_DOUBLE_EQ(s.Points[i].Value, c.Points[i].Value);
            EXPECT_EQ(s.Points[i].Text, c.Points[i].Text);
        }
    }
}

TEST(ValueSeries, FollowsAGrowingListAndStartsOverOnANewOne) {
    TTelegramList list = MakeList(ReadFrequency(1));
    TTrendContext ctx;
    TValueSeriesBuilder builder({2, 0x80});
    TParameterInventory inventory;
    builder.Update(list, ctx);
    inventory.Update(list, ctx);
    for (const Telegram& t :
         Join({ReadFrequency(2), ReadFrequency(3), {{4, 0x40, 0x01, 0x00, 0, 0, 0, 1, 1}}}))
        Append(list, t);
    builder.Update(list, ctx);
    inventory.Update(list, ctx);
    ASSERT_EQ(builder.Series().Points.size(), 3u);
    EXPECT_EQ(builder.Series().Points[2].Position, 5);
    EXPECT_DOUBLE_EQ(builder.Series().Points[2].Value, 3);
    const std::vector<TParameterCount> counts = inventory.Counts();
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0].Drive, 2);
    EXPECT_EQ(counts[0].Address, 0x80);
    EXPECT_EQ(counts[0].Points, 3);
    EXPECT_EQ(counts[1].Drive, 4);
    EXPECT_EQ(counts[1].Points, 1);

    // A list cleared and filled again (a file loaded) is read from its start.
    list.Clear();
    for (const Telegram& t : ReadFrequency(9))
        Append(list, t);
    builder.Update(list, ctx);
    inventory.Update(list, ctx);
    ASSERT_EQ(builder.Series().Points.size(), 1u);
    EXPECT_DOUBLE_EQ(builder.Series().Points[0].Value, 9);
    EXPECT_EQ(inventory.Counts().size(), 1u);
}

TEST(TrendTime, TimeBaseAndLineMonitorUnwrapping) {
    TTelegramList list;
    EXPECT_EQ(ChooseTimeBase(list, 8), TimeBasis::Position);
    Append(list, {2, 0, 0, 0x80, 1});
    EXPECT_EQ(ChooseTimeBase(list, 8), TimeBasis::Position);
    list.At(0)->Channel = 1;
    EXPECT_EQ(ChooseTimeBase(list, 8), TimeBasis::LineMonitor);
    list.At(0)->ReceiveTime = 5;
    EXPECT_EQ(ChooseTimeBase(list, 8), TimeBasis::Receive);

    // The clock sees every entry, so wraps between two points of a series are counted.
    TEntryClock clock(TimeBasis::LineMonitor, 1);
    const std::uint16_t stamps[] = {60000, 10000, 50000, 20000};
    std::int64_t t = 0;
    for (int i = 0; i < 4; ++i) {
        TTelEntry e;
        e.Channel = 0;
        e.TimeStamp = stamps[i];
        t = clock.Advance(e, i);
    }
    EXPECT_EQ(t, 15536 + 40000 + 35536);
}

TEST(ResponseTimes, PerDriveFromLineMonitorStamps) {
    TTelegramList list = MakeList(Join({ReadFrequency(1),
                                        ReadFrequency(2, 3),
                                        {{3, 0x00, 0x00, 0x80, 1}, {3, 0x80, 0, 0, 0, 1, 0}}}));
    const std::uint16_t stamps[] = {100, 130, 200, 1200, 65530, 4};
    for (int p = 0; p < list.Count(); ++p) {
        list.At(p)->Channel = static_cast<std::uint16_t>(p % 2);
        list.At(p)->TimeStamp = stamps[p];
    }
    TTrendContext ctx;
    ctx.TimeStampResolution = 8;
    TResponseTimeSeries series;
    series.Update(list, ctx);
    EXPECT_EQ(series.TimeBase(), TimeBasis::LineMonitor);
    ASSERT_EQ(series.Drives(), (std::vector<int>{2, 3}));
    const auto& two = series.Points(2);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].Microseconds, 30 * 8);
    EXPECT_FALSE(two[0].Error);
    EXPECT_EQ(two[1].Microseconds, 1000 * 8);
    EXPECT_TRUE(two[1].Error);
    EXPECT_EQ(two[1].Time, 1100 * 8);
    EXPECT_EQ(series.Points(3).at(0).Microseconds, 10 * 8);

    // Bins start at 1, 2 and 5 times a power of ten; both sides of each edge.
    const std::pair<std::int64_t, int> bins[] = {
        {0, 0},  {1, 0},  {2, 1},   {4, 1},    {5, 2},     {9, 2},     {10, 3},
        {19, 3}, {20, 4}, {999, 8}, {1000, 9}, {4999, 10}, {5000, 11}, {1'000'000, 18}};
    for (const auto& [us, bin] : bins) {
        EXPECT_EQ(ResponseTimeBin(us), bin) << us;
        if (us >= 1) {
            EXPECT_LE(ResponseTimeBinStart(bin), static_cast<double>(us)) << us;
        }
        EXPECT_GT(ResponseTimeBinStart(bin + 1), static_cast<double>(us)) << us;
    }
    EXPECT_DOUBLE_EQ(ResponseTimeBinStart(9), 1000);
    EXPECT_DOUBLE_EQ(ResponseTimeBinStart(10), 2000);
    // The window's plot data follow the points: seconds since the first entry, milliseconds.
    const TDriveResponseTimes& drive2 = series.Drive(2);
    ASSERT_EQ(drive2.X.size(), 2u);
    EXPECT_DOUBLE_EQ(drive2.X[1], 1100 * 8 / 1e6);
    EXPECT_DOUBLE_EQ(drive2.Ms[1], 8.0);
    EXPECT_EQ(drive2.Bins.at(ResponseTimeBin(8000)), 1);
}

TEST(Decimate, KeepsTheExtremesOfEachColumn) {
    std::vector<double> x, y;
    for (int i = 0; i < 1000; ++i) {
        x.push_back(i);
        y.push_back(i == 437 ? 50 : i == 612 ? -50 : (i % 3));
    }
    const std::vector<int> kept = DecimateMinMax(x, y, 100, 899, 10);
    EXPECT_LE(kept.size(), 4u * 10 + 2);
    EXPECT_EQ(kept.front(), 99); // the point before the left edge
    EXPECT_EQ(kept.back(), 900); // and after the right one
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    EXPECT_NE(std::find(kept.begin(), kept.end(), 437), kept.end());
    EXPECT_NE(std::find(kept.begin(), kept.end(), 612), kept.end());
    // Few points per column: all of them.
    EXPECT_EQ(DecimateMinMax(x, y, 0, 999, 500).size(), 1000u);
}
