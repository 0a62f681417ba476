#include "decode/formatters.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace protmon;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Text(const std::function<void(std::string&, ByteView)>& f, const Bytes& bytes) {
    std::string out;
    f(out, ByteView(bytes.data(), bytes.size()));
    return out;
}

struct NumberCase {
    const char* name;
    Bytes bytes;
    std::string decimal;
    std::string hex;
};

void CheckNumbers(void (*make)(std::string&, ByteView, std::size_t, bool),
                  const std::vector<NumberCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Text([&](std::string& o, ByteView v) { make(o, v, 0, false); }, c.bytes),
                  c.decimal);
        EXPECT_EQ(Text([&](std::string& o, ByteView v) { make(o, v, 0, true); }, c.bytes), c.hex);
    }
}

} // namespace

TEST(Formatters, WordIsSignedInDecimalAndPaddedInHex) {
    CheckNumbers(MakeWordText, {
                                   {"zero", {0x00, 0x00}, "0", "0000h"},
                                   {"largest positive", {0x7F, 0xFF}, "32767", "7FFFh"},
                                   {"smallest negative", {0x80, 0x00}, "-32768", "8000h"},
                                   {"minus one", {0xFF, 0xFF}, "-1", "FFFFh"},
                                   {"big-endian", {0x01, 0x02}, "258", "0102h"},
                               });
}

TEST(Formatters, LongIsSignedInDecimalAndPaddedInHex) {
    CheckNumbers(MakeLongText,
                 {
                     {"minus one", {0xFF, 0xFF, 0xFF, 0xFF}, "-1", "FFFFFFFFh"},
                     {"largest positive", {0x7F, 0xFF, 0xFF, 0xFF}, "2147483647", "7FFFFFFFh"},
                     {"smallest negative", {0x80, 0x00, 0x00, 0x00}, "-2147483648", "80000000h"},
                     {"small", {0x00, 0x00, 0x01, 0xF4}, "500", "000001F4h"},
                 });
}

TEST(Formatters, OctetIsUnsigned) {
    CheckNumbers(MakeOctetText, {
                                    {"ten", {0x0A}, "10", "0Ah"},
                                    {"top", {0xFF}, "255", "FFh"},
                                    {"zero", {0x00}, "0", "00h"},
                                });
}

TEST(Formatters, ValuesAreBigEndianAndReadZeroPastTheEnd) {
    const Bytes b = {0x12, 0x34, 0x56, 0x78};
    const ByteView v(b.data(), b.size());
    EXPECT_EQ(MakeWordValue(v, 0), 0x1234);
    EXPECT_EQ(MakeLongValue(v, 0), 0x12345678u);
    EXPECT_EQ(MakeWordValue(v, 3), 0x7800);
    EXPECT_EQ(MakeLongValue(v, 2), 0x56780000u);
}

TEST(Formatters, SetMaskRanges) {
    const std::vector<std::pair<std::uint8_t, std::string>> cases = {
        {0x00, "(invalid set selected)"},
        {0x01, "0"},
        {0x05, "0;2"},
        {0x0F, "0-3"},
        {0xFF, "0-7"},
        {0x80, "7"},
        {0xC1, "0;6-7"},
        {0x2E, "1-3;5"},
        {0x81, "0;7"},
        {0x03, "0-1"},
        {0x55, "0;2;4;6"},
        {0xAA, "1;3;5;7"},
        {0x7E, "1-6"},
    };
    for (const auto& [mask, text] : cases) {
        std::string out;
        MakeSetMaskText(out, mask);
        EXPECT_EQ(out, text) << "mask " << int(mask);
    }
}

TEST(Formatters, FixedFormatsIgnoreHexDisplay) {
    auto selector = [](std::uint8_t b) {
        std::string s;
        MakeSetSelectorText(s, b);
        return s;
    };
    EXPECT_EQ(selector(0), "active set");
    EXPECT_EQ(selector(1), "indirect set");
    EXPECT_EQ(selector(2), "(invalid set selected)");
    EXPECT_EQ(selector(255), "(invalid set selected)");

    auto subindex = [](std::uint8_t b) {
        std::string s;
        MakeSubindexText(s, b);
        return s;
    };
    EXPECT_EQ(subindex(0), "(0/count)");
    EXPECT_EQ(subindex(12), "12");
    EXPECT_EQ(subindex(255), "255");

    const Bytes b = {0x01, 0x02, 0xAB};
    EXPECT_EQ(Text([](std::string& o, ByteView v) { MakeHexBytesText(o, v, 0, 2); }, b), "0102h");
    EXPECT_EQ(Text([](std::string& o, ByteView v) { MakeHexBytesText(o, v, 2, 1); }, b), "ABh");
}

TEST(Formatters, HeaderBytes) {
    const std::vector<std::pair<std::uint8_t, std::string>> container = {
        {0x9A, "Rsp Id=1 3 bytes"}, {0x23, "Req Id=2 Blk=3"},   {0x08, "Req Id=0 1 bytes"},
        {0x07, "Req Id=0 Blk=7"},   {0xFF, "Rsp Id=7 8 bytes"},
    };
    for (const auto& [b, text] : container) {
        std::string out;
        MakeContainerHeaderText(out, b);
        EXPECT_EQ(out, text);
    }
    const std::vector<std::pair<std::uint8_t, std::string>> param = {
        {0xC5, "Pd=1 Wr IID=1 Sub=(in)direct"},
        {0x00, "Pd=0 Rd IID=0 Sub=bitcoded"},
        {0x3F, "Pd=3 Rd IID=15 Sub=bitcoded"},
    };
    for (const auto& [b, text] : param) {
        std::string out;
        MakeParamHeaderText(out, b);
        EXPECT_EQ(out, text);
    }
}

TEST(Formatters, CharsKeepEveryByteAndStopAtTheEndOfTheView) {
    const Bytes b = {'A', 0x00, 0xB0, 'Z'};
    EXPECT_EQ(Text([](std::string& o, ByteView v) { MakeCharsText(o, v, 0, 3); }, b),
              std::string("A\0\xB0", 3));
    EXPECT_EQ(Text([](std::string& o, ByteView v) { MakeCharsText(o, v, 2, 0); }, b), "");
    EXPECT_EQ(Text([](std::string& o, ByteView v) { MakeCharsText(o, v, 2, 200); }, b), "\xB0Z");
    EXPECT_EQ(Text([](std::string& o, ByteView v) { MakeCharsText(o, v, 9, 2); }, b), "");
}

TEST(Formatters, ErrorTextsAndTheirEffectOnAnnotation) {
    const std::vector<std::pair<std::uint8_t, std::string>> cases = {
        {0, "Code 0"},
        {1, "1 device not ready"},
        {8, "8 invalid password"},
        {11, "11 invalid set or subindex"},
        {14, "14 operation not possible"},
        {15, "Code 15"},
        {255, "Code 255"},
    };
    for (const auto& [code, text] : cases) {
        std::string out;
        bool noErrorShown = true;
        MakeErrorText(out, code, noErrorShown);
        EXPECT_EQ(out, text);
        EXPECT_FALSE(noErrorShown);
    }
}
