#include "filter/number_parse.h"

#include <gtest/gtest.h>
#include <optional>

using namespace protmon;

TEST(ParseNumberText, ReadsFieldTextsAsTheFilterDoes) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"1A2Bh", 0x1A2B},
        {"0000h", 0},
        {"100", 100},
        {"12AB", 12},
        {"-5", -5},
        {"-5h", 0},
        {"10 20", 10},
        {"12 34h", 0x12},
        {"  2000h  ", 0x2000},
        {"8192", 8192},
        {"", 0},
        {"   ", 0},
        {"FFFFFFFFh", -1},
        {"100000000h", 0},
        {"7fffffffh", 0x7FFFFFFF},
        {"2147483647", 2147483647},
        {"2147483648", 0},
        {"-2147483648", INT32_MIN},
        {"-", 0},
        {"5-3", 0},
        {"15d", 15},
        {"h", 0},
        {"x12", 0},
        {"0012", 12},
        {"0x10", 0},
        {"abch", 0xABC},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseNumberText(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseIntegerText, AcceptsOnlyWholeIntegers) {
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"10000", 10000},
        {"  25", 25},
        {"+7", 7},
        {"-3", -3},
        {"$1F", 0x1F},
        {"0x20", 0x20},
        {"0X20", 0x20},
        {"-$10", -16},
        {"25 ", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"1A", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"--1", std::nullopt},
        {"- 1", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},
        {"$100000000", std::nullopt},
        {"12h", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseIntegerText(c.text), c.value) << '"' << c.text << '"';
}
