#include "filter/filter_test_support.h"
#include "session/copy_text.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>

using namespace protmon;
using namespace protmon::test;

namespace {

bool Row(int position, TRowTexts& out) {
    out = {std::to_string(position), "12", "Req Read 0", "extra"};
    return true;
}

// Positions of the copied lines, read back from their first column.
std::vector<int> CopiedPositions(const std::string& text) {
    std::vector<int> positions;
    std::size_t start = 0;
    while (start < text.size()) {
        positions.push_back(std::stoi(text.substr(start, text.find('\t', start) - start)));
        start = text.find("\r\n", start) + 2;
    }
    return positions;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i)
        v.push_back(i);
    return v;
}

TTelegramList ListOf(int count) {
    TTelegramList list;
    list.SetBufferDepth(count + 10);
    for (int i = 0; i < count; ++i)
        list.NewTelEntry()->Data[kFilterMarkIndex] = 0;
    return list;
}

TEST(CopyText, LineLayout) {
    TTelegramList list = ListOf(2);
    TCopyDialogState d;
    TRecordingHost host;
    ASSERT_TRUE(PrepareCopyDialog(d, list.Count(), -1));
    const TCopyResult r = BuildCopyText(list, -1, d, Row, host);
    EXPECT_EQ(r.Text, "0\t12\tReq Read 0\textra\r\n1\t12\tReq Read 0\textra\r\n");
    EXPECT_EQ(r.Lines, 2);
}

TEST(CopyText, DialogDefaults) {
    TCopyDialogState d;
    EXPECT_FALSE(PrepareCopyDialog(d, 0, -1));
    ASSERT_TRUE(PrepareCopyDialog(d, 3, -1));
    EXPECT_EQ(d.ToText, "2");
    EXPECT_TRUE(d.RangeSelected);
    EXPECT_FALSE(d.AllFilteredEnabled);
    ASSERT_TRUE(PrepareCopyDialog(d, 5000, 7));
    EXPECT_EQ(d.FromText, "0");
    EXPECT_EQ(d.ToText, "999");
    EXPECT_TRUE(d.AllFilteredSelected);
    EXPECT_FALSE(d.RangeSelected);
    EXPECT_TRUE(d.AllFilteredEnabled);
    d.SelectRange();
    EXPECT_FALSE(d.AllFilteredSelected);
}

TEST(CopyText, Ranges) {
    const std::string limited(kCopyLimited);
    const std::string illegal(kIllegalRange);
    const struct {
        const char* name;
        int entries;
        const char* from;
        const char* to;
        bool copy;
        std::vector<int> positions;
        std::vector<std::string> messages;
    } cases[] = {
        {"whole short list", 3, "0", "2", true, Range(0, 2), {}},
        {"default on a long list", 5000, "0", "999", true, Range(0, 999), {}},
        {"over the limit", 5000, "0", "1500", true, Range(0, 999), {limited}},
        {"negative from", 50, "-5", "3", true, Range(0, 8), {}},
        {"to past the end", 5, "2", "40", true, Range(2, 4), {}},
        {"from past the end", 5, "9", "12", true, {}, {}},
        {"single entry", 5, "3", "3", true, {3}, {}},
        {"blanks and hexadecimal", 50, " $3 ", " 0x5", true, Range(3, 5), {}},
        {"hex without prefix", 50, "1A", "30", false, {}, {illegal}},
        {"empty to", 50, "0", "", false, {}, {illegal}},
        {"to below from", 5000, "1200", "3", false, {}, {illegal}},
    };
    for (const auto& c : cases) {
        TTelegramList list = ListOf(c.entries);
        TCopyDialogState d;
        d.FromText = c.from;
        d.ToText = c.to;
        TRecordingHost host;
        const TCopyResult r = BuildCopyText(list, -1, d, Row, host);
        EXPECT_EQ(r.Copy, c.copy) << c.name;
        EXPECT_EQ(CopiedPositions(r.Text), c.positions) << c.name;
        EXPECT_EQ(r.Lines, static_cast<int>(c.positions.size())) << c.name;
        EXPECT_EQ(host.boxes, c.messages) << c.name;
        EXPECT_FALSE(host.busy) << c.name;
    }
}

TEST(CopyText, AllFilteredTelegrams) {
    TTelegramList list = ListOf(3000);
    std::vector<int> shown;
    for (int i = 0; i < 3000; ++i) {
        if (i % 5 < 2)
            continue;
        list.At(i)->Data[kFilterMarkIndex] = i % 5 == 4 ? 2 : 1;
        shown.push_back(i);
    }
    ASSERT_EQ(shown.size(), 1800u);
    TCopyDialogState d;
    ASSERT_TRUE(PrepareCopyDialog(d, list.Count(), 1800));
    TRecordingHost host;
    TCopyResult r = BuildCopyText(list, 1800, d, Row, host);
    shown.resize(1000);
    EXPECT_EQ(CopiedPositions(r.Text), shown);
    EXPECT_EQ(host.boxes, (std::vector<std::string>{std::string(kCopyLimited)}));

    // The fields are still read, so an unreadable one stops even this copy.
    d.ToText = "x";
    r = BuildCopyText(list, 1800, d, Row, host);
    EXPECT_FALSE(r.Copy);
}

TEST(CopyText, EmptyFilteredViewCopiesAnEmptyText) {
    TTelegramList list = ListOf(10);
    TCopyDialogState d;
    ASSERT_TRUE(PrepareCopyDialog(d, list.Count(), 0));
    TRecordingHost host;
    const TCopyResult r = BuildCopyText(list, 0, d, Row, host);
    EXPECT_TRUE(r.Copy);
    EXPECT_EQ(r.Text, "");
    EXPECT_TRUE(host.boxes.empty());
}

} // namespace

namespace {

TEST(CopyText, RowsAreDecodedAsTheListViewShowsThem) {
    TTelegramList list;
    Append(list, {0x12, 0x00, 0x20, 0x00, 0x32});
    Append(list, {0x12, 0x80, 0, 0, 0, 5, 0, 0x97});
    TDecodeContext context;
    context.List = &list;
    context.HexDisplay = true;
    context.MarkIndex = 1;
    TCopyDialogState d;
    ASSERT_TRUE(PrepareCopyDialog(d, list.Count(), -1));
    TRecordingHost host;
    const TCopyResult r = BuildCopyText(list, -1, d, context, host);
    std::string expected;
    for (int i = 0; i < 2; ++i) {
        const TRowTexts row = DecodeTelegramRow(context, i);
        expected += row.Caption + '\t' + row.Id + '\t' + row.Service + '\t' + row.Additional;
        expected += "\r\n";
    }
    EXPECT_EQ(r.Text, expected);
    EXPECT_NE(r.Text.find("Req Read"), std::string::npos);
}

} // namespace

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;
         start = at + separator.size())
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

TEST(CopyText, ControlBytesInCellsKeepRowsAndColumns) {
    const std::string cells[] = {std::string("1\0", 2), "\t", "A\r\nB\x7F", "\x85\xB0\xC0\x1B"};
    const auto row = [&cells](int, TRowTexts& out) {
        out = {cells[0], cells[1], cells[2], cells[3]};
        return true;
    };
    TTelegramList list = ListOf(3);
    TCopyDialogState d;
    ASSERT_TRUE(PrepareCopyDialog(d, list.Count(), -1));
    TCellGlyphs glyphs;
    glyphs.Choose([](char32_t c) { return c < 0x2400 || c > 0x2426; }); // as with DejaVu only
    for (const CodePage codePage : {CodePage::Latin1, CodePage::Cp1251}) {
        TRecordingHost host;
        const TCopyResult r = BuildCopyText(list, -1, d, row, host, {&glyphs, codePage});
        std::vector<std::string> lines = Split(r.Text, "\r\n");
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines.back(), "") << "the last line ends in CR LF too";
        lines.pop_back();
        for (const std::string& line : lines) {
            const std::vector<std::string> columns = Split(line, "\t");
            ASSERT_EQ(columns.size(), 4u);
            for (std::size_t c = 0; c < 4; ++c)
                EXPECT_EQ(columns[c], glyphs.ToUtf8(cells[c], codePage)) << c;
            EXPECT_EQ(line.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
        }
    }
    // The symbols written are those the list shows: U+2AAA for CR here, U+2400 + byte where the
    // font has the control pictures; CP1251 names keep their letters.
    EXPECT_EQ(glyphs.ToUtf8("\r", CodePage::Latin1), "\xE2\xAA\xAA");
    EXPECT_EQ(TCellGlyphs::Default().ToUtf8("\r\xB0", CodePage::Latin1), "\xE2\x90\x8D\xC2\xB0");
    EXPECT_EQ(glyphs.ToUtf8("\xC0\x85", CodePage::Cp1251), "\xD0\x90\xE2\x80\xA6");
}

TEST(CellGlyphs, EveryControlByteHasASymbolOfItsOwn) {
    std::set<char32_t> printable;
    for (int b = 0x20; b < 0x100; ++b) {
        for (const CodePage codePage : {CodePage::Latin1, CodePage::Cp1251})
            if (!TCellGlyphs::IsControl(static_cast<unsigned char>(b), codePage))
                printable.insert(ToUnicode(static_cast<unsigned char>(b), codePage));
    }
    std::set<char32_t> symbols;
    int controls = 0;
    for (int b = 0; b < 0x100; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const auto candidates = TCellGlyphs::Candidates(byte);
        EXPECT_EQ(candidates.empty(), !TCellGlyphs::IsControl(byte, CodePage::Latin1)) << b;
        controls += candidates.empty() ? 0 : 1;
        for (char32_t c : candidates) {
            EXPECT_TRUE(symbols.insert(c).second)
                << "shared symbol " << std::hex << static_cast<unsigned>(c);
            EXPECT_EQ(printable.count(c), 0u)
                << "looks like text: " << std::hex << static_cast<unsigned>(c);
            EXPECT_TRUE(c > 0xA0 && c < 0x10000) << std::hex << static_cast<unsigned>(c);
        }
    }
    EXPECT_EQ(controls, 65);

    // Each byte takes its first symbol the fonts can show, else its last.
    const struct {
        const char* name;
        std::function<bool(char32_t)> canShow;
        unsigned char byte;
        char32_t expected;
    } cases[] = {
        {"control pictures", [](char32_t) { return true; }, 0x0D, 0x240D},
        {"no pictures", [](char32_t c) { return c < 0x2400 || c > 0x2426; }, 0x0D, 0x2AAA},
        {"nothing but arrows", [](char32_t c) { return c >= 0x2190 && c < 0x2200; }, 0x0D, 0x21B5},
        {"nothing at all", [](char32_t) { return false; }, 0x0D, 0x21B5},
        {"nothing at all, DEL", [](char32_t) { return false; }, 0x7F, 0x25A8},
        {"C1 in Latin-1", [](char32_t) { return true; }, 0x85, 0x25C5},
    };
    for (const auto& c : cases) {
        TCellGlyphs glyphs;
        glyphs.Choose(c.canShow);
        EXPECT_EQ(static_cast<unsigned>(glyphs.CodePoint(c.byte, CodePage::Latin1)),
                  static_cast<unsigned>(c.expected))
            << c.name;
    }
    EXPECT_EQ(TCellGlyphs::Default().CodePoint(0x85, CodePage::Cp1251), char32_t{0x2026});
    EXPECT_EQ(TCellGlyphs::Default().CodePoint('A', CodePage::Latin1), char32_t{'A'});
}

} // namespace
