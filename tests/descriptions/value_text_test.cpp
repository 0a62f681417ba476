#include "descriptions/description_records.h"
#include "descriptions/unit_table.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace protmon {
namespace {

constexpr std::uint32_t kByte = 0x00, kWord = 0x40, kLong = 0x80, kOther = 0xC0;

struct TFormatCase {
    const char* what;
    std::int16_t mul, div, off;
    unsigned unit, scaling, display;
    std::uint32_t width;
    std::int32_t value;
    const char* expected;
};

TParaRec MakePara(const TFormatCase& c) {
    TParaRec p;
    p.Multiplier = c.mul;
    p.Divisor = c.div;
    p.Offset = c.off;
    p.Format = MakeFormat(c.unit, c.scaling, c.display);
    p.Attributes = c.width;
    return p;
}

const TFormatCase kFormatCases[] = {
    // Mode 0 and the fixed formats.
    {"tenths of volts", 1, 10, 0, 21, 0, 1, kWord, 1234, "123.4 V"},
    {"no decimals rounds half up", 1, 10, 0, 0, 0, 0, kWord, 15, "2"},
    {"no decimals below half", 1, 10, 0, 0, 0, 0, kWord, 14, "1"},
    {"negative half rounds away", 1, 10, 0, 0, 0, 0, kWord, -15, "-2"},
    {"negative rounding to zero has no sign", 1, 1000, 0, 0, 0, 2, kWord, -4, "0.00"},
    {"two decimals", 1, 100, 0, 37, 0, 2, kWord, 5, "0.05 %"},
    {"three decimals pad", 1, 1, 0, 0, 0, 3, kWord, 7, "7.000"},
    {"four decimals decimal tie", 1, 20000, 0, 0, 0, 4, kLong, 1, "0.0001"},
    {"decimal tie 1.005 rounds up", 1, 1000, 0, 0, 0, 2, kLong, 1005, "1.01"},
    {"carry into new digit", 1, 10, 0, 0, 0, 0, kLong, 9995, "1000"},
    {"offset added first", 1, 1, -100, 31, 0, 0, kWord, 125,
     "25 \xB0"
     "C"},
    {"offset sum wraps in 32 bits", 1, 1, 1, 0, 0, 0, kLong, INT32_MAX, "-2147483648"},
    {"largest product", 32767, 1, 0, 0, 0, 0, kLong, INT32_MIN, "-70366596694016"},
    {"15 significant digits then decimals", 32767, 3, 0, 0, 0, 4, kLong, INT32_MAX,
     "23455532220416.3000"},
    {"divisor zero", 1, 0, 0, 21, 0, 1, kWord, 5, "(Error calculating value)"},
    {"zero over zero", 0, 0, 0, 21, 0, 1, kWord, 0, "(Error calculating value)"},
    {"divisor zero fails also for hex", 1, 0, 0, 0, 0, 6, kWord, 5, "(Error calculating value)"},
    // Mode 1: reciprocal.
    {"reciprocal", 1000, 1, 0, 8, 1, 2, kWord, 8, "125.00 ms"},
    {"reciprocal of zero", 1000, 1, 0, 8, 1, 2, kWord, 0, "(Error calculating value)"},
    {"reciprocal offset cancels value", 1000, 1, 5, 8, 1, 2, kWord, -5,
     "(Error calculating value)"},
    {"reciprocal divisor zero", 1000, 0, 0, 8, 1, 2, kWord, 3, "(Error calculating value)"},
    {"reciprocal 0/0", 0, 1, 0, 8, 1, 2, kWord, 0, "(Error calculating value)"},
    {"reciprocal one off zero", 1000, 1, 5, 0, 1, 0, kWord, -4, "1000"},
    // Modes 2 and 3: unscaled, even with divisor 0.
    {"mode 2 ignores scaling", 7, 0, 9, 18, 2, 0, kWord, 50, "50 Hz"},
    {"mode 3 ignores scaling", 7, 0, 9, 0, 3, 1, kWord, -3, "-3.0"},
    // General format.
    {"general integer", 1, 1, 0, 0, 0, 5, kLong, 42, "42"},
    {"general drops zeros", 1, 4, 0, 0, 0, 5, kLong, 10, "2.5"},
    {"general third", 1, 3, 0, 0, 0, 5, kLong, 1, "0.333333333333333"},
    {"general zero", 1, 10000, 0, 0, 0, 5, kLong, 0, "0"},
    {"general at 1E-5 boundary", 1, 10000, 0, 0, 1, 5, kLong, 10, "0.00001"},
    {"general small scientific", 1, 1, 0, 0, 1, 5, kLong, 1000000, "1E-6"},
    {"general 0.00001 stays fixed", 1, 1, 0, 0, 1, 5, kLong, 100000, "0.00001"},
    {"general below 0.00001", 1, 1, 0, 0, 1, 5, kLong, 200000, "5E-6"},
    {"general negative", -1, 8, 0, 0, 0, 5, kLong, 1, "-0.125"},
    {"general tiny", 1, 32767, 0, 0, 1, 5, kLong, INT32_MAX, "1.42112884159239E-14"},
    // Dotted decimal of the raw value.
    {"dotted four bytes", 1, 1, 0, 0, 2, 7, kLong, static_cast<std::int32_t>(0xC0A80001),
     "192.168.0.1"},
    {"dotted two bytes", 1, 1, 0, 0, 2, 7, kWord, static_cast<std::int32_t>(0xC0A80001), "0.1"},
    {"dotted width 11 is two bytes", 1, 1, 0, 0, 2, 7, kOther, 0x1234, "18.52"},
    {"dotted one byte", 1, 1, 0, 0, 2, 7, kByte, 0x1FF, "255"},
    {"dotted ignores scaling", 1, 10, 0, 0, 0, 7, kWord, 0x0102, "1.2"},
    // Hexadecimal.
    {"hex byte", 1, 1, 0, 0, 2, 6, kByte, 10, "0Ah"},
    {"hex byte minus one", 1, 1, 0, 0, 2, 6, kByte, -1, "FFFFFFFFh"},
    {"hex word minus one", 1, 1, 0, 0, 2, 6, kWord, -1, "FFFFFFFFh"},
    {"hex word", 1, 1, 0, 0, 2, 8, kWord, 0xAB, "00ABh"},
    {"hex long", 1, 1, 0, 0, 2, 15, kLong, 0xAB, "000000ABh"},
    {"hex width 11 is long", 1, 1, 0, 0, 2, 9, kOther, 1, "00000001h"},
    {"hex truncates toward zero", 1, 10, 0, 0, 0, 6, kWord, 19, "0001h"},
    {"hex truncates negative toward zero", 1, 10, 0, 0, 0, 6, kWord, -19, "FFFFFFFFh"},
    {"hex beyond 32 bits keeps 8 digits", 32767, 1, 0, 0, 0, 6, kLong, INT32_MAX, "7FFF8001h"},
    {"hex with unit", 1, 1, 0, 36, 2, 6, kWord, 255, "00FFh Inc"},
    // Units without text.
    {"unit 40 has no text", 1, 1, 0, 40, 0, 0, kWord, 3, "3"},
    {"unit 41 has no text", 1, 1, 0, 41, 0, 0, kWord, 3, "3"},
    {"unit 58 has no text", 1, 1, 0, 58, 0, 0, kWord, 3, "3"},
    {"unit 63 has no text", 1, 1, 0, 63, 0, 0, kWord, 3, "3"},
    {"unit 57", 1, 1, 0, 57, 0, 0, kWord, 3,
     "3 \xB0"
     "F"},
};

class FormatValueTest : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(FormatValueTest, GivesExpectedText) {
    const TFormatCase& c = GetParam();
    EXPECT_EQ(MakePara(c).FormatValue(c.value), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, FormatValueTest, ::testing::ValuesIn(kFormatCases));

TEST(FormatValue, DecimalSeparatorIsASetting) {
    TParaRec p = MakePara({"", 1, 10, 0, 21, 0, 1, kWord, 0, ""});
    EXPECT_EQ(p.FormatValue(1234, ','), "123,4 V");
    p.Format = MakeFormat(0, 0, 5);
    EXPECT_EQ(p.FormatValue(25, ','), "2,5");
    p.Format = MakeFormat(0, 1, 5);
    p.Multiplier = 3;
    p.Divisor = 1;
    EXPECT_EQ(p.FormatValue(2000000, ','), "1,5E-6");
}

TEST(UnitTable, HasDegreeSignAsByte) {
    EXPECT_EQ(UnitText(31), "\xB0"
                            "C");
    EXPECT_EQ(UnitText(17), "1/min");
    EXPECT_EQ(UnitText(0), "");
    EXPECT_EQ(UnitText(64), "");
}

// Plain texts with the fields 0x03 (0 A, 1 B) and 0x0C (0 X, 4 Y).
class ValueTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        TDefRec low{0x03, "low", "low", {}};
        low.Values.Add({0, 0, "A", "a-display"});
        low.Values.Add({1, 0, "B", "b-display"});
        TDefRec high{0x0C, "high", "high", {}};
        high.Values.Add({0, 0, "X", "X"});
        high.Values.Add({4, 0, "Y", "Y"});
        entry.Type = 7;
        entry.Fields.Add(std::move(low));
        entry.Fields.Add(std::move(high));
        para.PlainText = &entry;
        para.Format = MakeFormat(0, 0, 0);
        para.Multiplier = 1;
        para.Divisor = 1;
    }
    TPlainTextRec entry;
    TParaRec para;
};

TEST_F(ValueTextTest, JoinsFieldsAndAppendsRawValue) {
    EXPECT_EQ(para.GetValueText(5, 0, "+", true), "B+Y: 5");
    EXPECT_EQ(para.GetValueText(5, 1, "+", true), "b-display+Y: 5");
    EXPECT_EQ(para.GetValueText(5, 2, "+", true), "B+Y: 5") << "languages above 1 count as 0";
    EXPECT_EQ(para.GetValueText(5, 0, "+", false), "B+Y");
}

TEST_F(ValueTextTest, UnmatchedFieldShowsShiftedNumberAndDropsSuffix) {
    EXPECT_EQ(para.GetValueText(9, 0, "+", true), "B+2");
}

TEST_F(ValueTextTest, NoNumberFlagLeavesOutUnmatchedField) {
    para.Flags = kFlagNoNumber;
    EXPECT_EQ(para.GetValueText(9, 0, "+", true), "B: 9");
}

TEST_F(ValueTextTest, NoFieldContributesGivesScaledNumber) {
    para.Flags = kFlagNoNumber;
    para.Format = MakeFormat(21, 0, 1);
    para.Divisor = 10;
    EXPECT_EQ(para.GetValueText(0xFA, 0, "+", true), "25.0 V");
}

TEST_F(ValueTextTest, NoSuffixFlag) {
    para.Flags = kFlagNoSuffix;
    EXPECT_EQ(para.GetValueText(5, 0, "+", true), "B+Y");
}

TEST_F(ValueTextTest, EqualValueRecordsAllContribute) {
    entry.Fields.Items(0)->Values.Add({1, 0, "B2", "B2"});
    EXPECT_EQ(para.GetValueText(1, 0, "/", true), "B/B2/X: 1");
}

TEST_F(ValueTextTest, FieldWithoutValuesAndZeroMask) {
    entry.Fields.Add({0, "zero", "zero", {}});
    entry.Fields.Add({static_cast<std::int32_t>(0xFF000000u), "top", "top", {}});
    EXPECT_EQ(para.GetValueText(static_cast<std::int32_t>(0xAB000001u), 0, "+", true), "B+X+0+171");
}

TEST_F(ValueTextTest, AppendsToExistingText) {
    std::string row = "Read [";
    para.AppendValueText(row, 5, 1, "+", true);
    EXPECT_EQ(row, "Read [b-display+Y: 5");
}

TEST(ValueText, WithoutPlainTextIsFormattedValue) {
    TParaRec p;
    p.Multiplier = 1;
    p.Divisor = 0;
    EXPECT_EQ(p.GetValueText(1, 1, "+", true), "(Error calculating value)");
}

} // namespace
} // namespace protmon
