#include "analysis/analysis_numbers.h"
#include "analysis/trend_text.h"
#include "descriptions/cfg_list.h"

#include <gtest/gtest.h>

namespace protmon {
namespace {

TEST(AnalysisNumbers, TicksOnRoundNumbers) {
    struct Case {
        double Span;
        double Step;
        int Decimals;
    };
    const Case cases[] = {
        {10, 2, 0},     {12, 2, 0},        {6, 1, 0},        {6.01, 2, 0},     {31, 10, 0},
        {0.3, 0.05, 2}, {0.012, 0.002, 3}, {479.86, 100, 0}, {1e6, 200000, 0}, {0, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(NiceTickStep(c.Span, 6), c.Step) << c.Span;
        EXPECT_EQ(StepDecimals(c.Step), c.Decimals) << c.Span;
    }
    EXPECT_EQ(StepDecimals(0.1), 1);
    EXPECT_EQ(DecadeRange(2.0, 2.8), (std::pair<double, double>{1, 10}));
    EXPECT_EQ(DecadeRange(0.5, 35), (std::pair<double, double>{0.1, 100}));
    EXPECT_EQ(DecadeRange(10, 10), (std::pair<double, double>{10, 100}));
}

TEST(AnalysisNumbers, MillisecondsAndTimesNameTheirUnit) {
    EXPECT_EQ(MillisecondsText(2600), "2.600");
    EXPECT_EQ(MillisecondsText(35200), "35.200");
    EXPECT_EQ(ShortMillisecondsText(50), "0.05");
    EXPECT_EQ(ShortMillisecondsText(2000), "2");
    EXPECT_EQ(ShortMillisecondsText(1500), "1.5");
    EXPECT_EQ(TrendTimeText(TimeBasis::Receive, 479.8577084), "479.858 s");
    EXPECT_EQ(TrendTimeText(TimeBasis::LineMonitor, 1.0000004), "1.000000 s");
    EXPECT_EQ(TrendTimeText(TimeBasis::Position, 17), "17");
    EXPECT_EQ(TimeColumnHeader(TimeBasis::LineMonitor), "Time [\xB5s]");
    EXPECT_EQ(TimeColumnHeader(TimeBasis::Receive), "Time");
    EXPECT_EQ(kResponseColumnHeader, "Response [\xB5s]");
}

// The readout writes a value as the decoder does: the parameter's decimals and unit.
TEST(AnalysisNumbers, TrendValuesWithTheParametersDecimals) {
    TZXCfgList sets;
    const int index = sets.LoadDescriptionFile(PROTMON_TEST_DATA "/Para0001.bin", false);
    ASSERT_GE(index, 0);
    TTrendContext ctx;
    ctx.Set = sets.GetCfg(index);
    TValueSeries frequency;
    frequency.Key = {2, 0x80};
    frequency.Scale = DescribeParameter(ctx, 0x80);
    TValuePoint p;
    p.Raw = 4799;
    p.Value = 47.99;
    EXPECT_EQ(TrendValueText(ctx, frequency, p), "47.99 Hz");
    EXPECT_EQ(TrendCurveTitle(frequency), "02 r000 Output frequency [Hz]");
    TValueSeries raw;
    raw.Key = {0x1A, 7};
    EXPECT_EQ(TrendValueText(TTrendContext{}, raw, p), "4799");
    EXPECT_EQ(TrendCurveTitle(raw), "1A 7");
}

} // namespace
} // namespace protmon
