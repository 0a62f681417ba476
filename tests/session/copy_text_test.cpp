#include "filter/filter_test_support.h"
#include "session/copy_text.h"

#include <gtest/gtest.h>

using namespace protmon;
using namespace protmon::filter_test;

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
        EXPECT_EQ(host.Messages, c.messages) << c.name;
        EXPECT_FALSE(host.Busy) << c.name;
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
    EXPECT_EQ(host.Messages, (std::vector<std::string>{std::string(kCopyLimited)}));

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
    EXPECT_TRUE(host.Messages.empty());
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
