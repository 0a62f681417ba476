#include "view/row_window.h"
#include "view/row_window_details.h"

#include <gtest/gtest.h>

namespace protmon {
namespace {

// Caption is the position, in angle brackets for the marked one, like the real decoder.
struct Fixture {
    TTelegramList list;
    int marked = -1;
    int decodes = 0;
    TRowWindow view{list, [this](int pos, const TTelEntry& e, TRowTexts& row) {
                        ++decodes;
                        row.Caption =
                            pos == marked ? "<" + std::to_string(pos) + ">" : std::to_string(pos);
                        row.Id = std::to_string(e.Data[0]);
                        row.Service = "S";
                        row.Additional = "A";
                    }};

    void Add(int n, std::uint8_t first = 1) {
        for (int i = 0; i < n; ++i)
            list.NewTelEntry()->Data[0] = static_cast<std::uint8_t>(first + i);
    }
    std::string Caption(int row) const {
        return view.Rows()[static_cast<std::size_t>(row)].Caption;
    }
};

TEST(RowWindow, FewEntriesGiveMaxOneAndBlankRows) {
    Fixture f;
    f.Add(5);
    f.view.SetVisibleRows(20);
    f.view.RefreshRows();
    EXPECT_EQ(f.view.ScrollMax(), 1);
    EXPECT_EQ(f.view.HeaderCaption(), "5");
    EXPECT_EQ(f.Caption(4), "4");
    for (int r = 5; r < 20; ++r) {
        EXPECT_EQ(f.Caption(r), "");
        EXPECT_EQ(f.view.Rows()[static_cast<std::size_t>(r)].Additional, "");
    }
}

TEST(RowWindow, PageDownNearTheEndStopsAtMax) {
    Fixture f;
    f.Add(100);
    f.view.SetVisibleRows(20);
    EXPECT_EQ(f.view.ScrollMax(), 80);
    f.view.SetScrollPosition(70);
    auto r = f.view.HandleKey(RowKey::PageDown, 5);
    EXPECT_TRUE(r.Details);
    EXPECT_EQ(r.SelectRow, -1);
    EXPECT_EQ(f.view.ScrollPosition(), 80);
    EXPECT_EQ(f.Caption(0), "80");
    EXPECT_EQ(f.Caption(19), "99");
}

TEST(RowWindow, RedrawDecodesOnlyVisibleRows) {
    Fixture f;
    f.Add(1000);
    f.view.SetVisibleRows(30);
    f.decodes = 0;
    f.view.SetScrollPosition(500);
    EXPECT_EQ(f.decodes, 30);
}

TEST(RowWindow, FilteredMappingFollowsMarks) {
    Fixture f;
    f.Add(12);
    for (int k : {3, 8, 9})
        f.list.At(k)->Data[kFilterMarkIndex] = 1;
    f.view.SetVisibleRows(5);
    f.view.SetFilter(3, true);
    f.view.UpdateScrollRange();
    f.view.SetScrollPosition(1);
    EXPECT_EQ(f.view.TopIndex(), 8);
    EXPECT_EQ(f.view.FirstShownPosition(), 8);
    EXPECT_EQ(f.Caption(0), "8");
    EXPECT_EQ(f.Caption(1), "9");
    EXPECT_EQ(f.Caption(2), "");
    EXPECT_EQ(f.view.HeaderCaption(), "[3]");
    // Beyond the marked entries the top is the end of the list: every row blank.
    f.view.SetFilter(3, true);
    f.view.SetVisibleRows(1);
    f.view.SetScrollPosition(2);
    EXPECT_EQ(f.view.ScrollMax(), 2);
    EXPECT_EQ(f.view.TopIndex(), 9);
}

TEST(RowWindow, SuppliedMappingIsUsedAndKeptInsideTheList) {
    Fixture f;
    f.Add(12);
    f.view.SetVisibleRows(4);
    f.view.SetFilter(6, true);
    for (int k = 0; k < 12; k += 2)
        f.list.At(k)->Data[kFilterMarkIndex] = 1;
    f.view.SetScrollMapping([](int position) { return position * 2; });
    f.view.UpdateScrollRange();
    f.view.SetScrollPosition(1);
    EXPECT_EQ(f.view.TopIndex(), 2);
    EXPECT_EQ(f.Caption(0), "2");
    EXPECT_EQ(f.Caption(1), "4");
    f.view.SetScrollMapping([](int) { return 1000; });
    f.view.SetScrollPosition(2);
    EXPECT_EQ(f.view.TopIndex(), 12);
    EXPECT_EQ(f.Caption(0), "");
}

TEST(RowWindow, KeysAtTheEdges) {
    Fixture f;
    f.Add(50);
    f.view.SetVisibleRows(10);
    struct Case {
        int position;
        RowKey key;
        int focused;
        int wantPosition;
        int wantSelect;
    };
    const Case cases[] = {
        {0, RowKey::Up, 0, 0, -1},      {0, RowKey::Up, 3, 0, 2},
        {5, RowKey::Up, 0, 4, -1},      {40, RowKey::Down, 9, 40, -1},
        {39, RowKey::Down, 9, 40, -1},  {39, RowKey::Down, 4, 39, 5},
        {12, RowKey::End, 2, 40, 9},    {12, RowKey::Home, 2, 0, 0},
        {5, RowKey::PageUp, 2, 0, -1},  {12, RowKey::PageUp, 2, 2, -1},
        {12, RowKey::Space, 2, 12, -1}, {30, RowKey::PageDown, 0, 40, -1},
    };
    for (const auto& c : cases) {
        f.view.SetScrollPosition(c.position);
        auto r = f.view.HandleKey(c.key, c.focused);
        EXPECT_EQ(f.view.ScrollPosition(), c.wantPosition) << c.position << " " << int(c.key);
        EXPECT_EQ(r.SelectRow, c.wantSelect) << c.position << " " << int(c.key);
        EXPECT_TRUE(r.Details);
    }
    // Without a focused row any key goes to the top and selects row 0, no details.
    f.view.SetScrollPosition(20);
    auto r = f.view.HandleKey(RowKey::Down, -1);
    EXPECT_EQ(f.view.ScrollPosition(), 0);
    EXPECT_EQ(r.SelectRow, 0);
    EXPECT_FALSE(r.Details);
}

TEST(RowWindow, ScrollingIgnoredWhileCapturing) {
    Fixture f;
    f.Add(50);
    f.view.SetVisibleRows(10);
    f.view.SetCapturing(true);
    f.view.SetScrollPosition(10);
    f.view.Wheel(3, 3);
    EXPECT_EQ(f.view.ScrollPosition(), 0);
    f.view.SetCapturing(false);
    f.view.Wheel(3, 3);
    EXPECT_EQ(f.view.ScrollPosition(), 9);
    f.view.Wheel(-5, 3);
    EXPECT_EQ(f.view.ScrollPosition(), 0);
}

TEST(RowWindow, ShrinkingRangeMovesPosition) {
    Fixture f;
    f.Add(50);
    f.view.SetVisibleRows(10);
    f.view.SetScrollPosition(40);
    f.view.SetVisibleRows(20);
    EXPECT_EQ(f.view.ScrollMax(), 30);
    EXPECT_EQ(f.view.ScrollPosition(), 30);
    EXPECT_EQ(f.Caption(0), "30");
}

TEST(RowWindow, SelectedEntryReadsCaption) {
    Fixture f;
    f.Add(20);
    f.marked = 3;
    f.view.SetVisibleRows(10);
    f.view.RefreshRows();
    EXPECT_EQ(f.Caption(3), "<3>");
    EXPECT_EQ(f.view.SelectedEntry(3), 3);
    EXPECT_EQ(f.view.SelectedEntry(7), 7);
    EXPECT_EQ(f.view.SelectedEntry(-1), -1);
    EXPECT_EQ(f.view.SelectedEntry(10), -1);
    f.list.Clear();
    f.view.Reset();
    EXPECT_EQ(f.view.SelectedEntry(0), -1);
}

TEST(RowWindow, LiveDisplayIsRingWithBlankRow) {
    Fixture f;
    f.view.SetVisibleRows(3);
    f.view.RefreshRows();
    f.view.SetCapturing(true);
    f.Add(2);
    EXPECT_EQ(f.view.LiveTick(false), 2);
    EXPECT_EQ(f.Caption(0), "0");
    EXPECT_EQ(f.Caption(1), "1");
    EXPECT_EQ(f.Caption(2), "");
    f.Add(1);
    f.view.LiveTick(false);
    // After the third telegram no row is blank; row 0 still shows the first.
    EXPECT_EQ(f.Caption(0), "0");
    EXPECT_EQ(f.Caption(2), "2");
    EXPECT_EQ(f.view.LiveRow(), 0);
    f.Add(1);
    f.view.LiveTick(false);
    EXPECT_EQ(f.Caption(0), "3");
    EXPECT_EQ(f.Caption(1), "");
    EXPECT_EQ(f.view.HeaderCaption(), "4");
    const unsigned revision = f.view.Revision();
    EXPECT_EQ(f.view.LiveTick(false), 0);
    EXPECT_EQ(f.view.Revision(), revision); // an idle tick repaints nothing
}

// A fast stream passes many entries through each row between two repaints: only what is on
// screen when the view looks is decoded, it reads as if every entry had been drawn in turn, and
// a later telegram changes only its own row and the blank one after it.
TEST(RowWindow, LiveRowsAreDecodedWhenLookedAt) {
    Fixture f;
    f.view.SetVisibleRows(4);
    f.view.SetCapturing(true);
    for (int tick = 0; tick < 10; ++tick) {
        f.Add(99, static_cast<std::uint8_t>(tick));
        EXPECT_EQ(f.view.LiveTick(false), 99);
    }
    EXPECT_EQ(f.decodes, 0);
    // 990 telegrams in 4 rows: 988 and 989 in rows 0 and 1, row 2 blank, 987 still in row 3;
    // position p of tick t holds ID t + p % 99.
    const std::pair<const char*, const char*> expected[] = {
        {"988", "106"}, {"989", "107"}, {"", ""}, {"987", "105"}};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(f.Caption(r), expected[r].first) << r;
        EXPECT_EQ(f.view.Rows()[static_cast<std::size_t>(r)].Id, expected[r].second) << r;
    }
    EXPECT_EQ(f.decodes, 3);
    EXPECT_EQ(f.view.HeaderCaption(), "990");

    std::vector<unsigned> before;
    for (int r = 0; r < 4; ++r)
        before.push_back(f.view.RowRevision(r));
    f.Add(1, 200);
    f.view.LiveTick(false);
    EXPECT_EQ(f.view.SelectedEntry(2), 990);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(f.view.RowRevision(r) != before[static_cast<std::size_t>(r)], r >= 2) << r;
    EXPECT_EQ(f.decodes, 4);
    // Clearing before anyone looked leaves no row pointing past the end of the list.
    f.Add(1);
    f.view.LiveTick(false);
    f.list.Clear();
    EXPECT_EQ(f.Caption(3), "");
}

TEST(RowWindow, LiveDisplayFollowsWrappedList) {
    Fixture f;
    f.list.SetBufferDepth(10);
    f.view.SetVisibleRows(4);
    f.view.SetCapturing(true);
    f.Add(10);
    EXPECT_EQ(f.view.LiveTick(false), 10);
    f.Add(3, 100); // overwrites positions 0..2
    EXPECT_EQ(f.list.WriteIndex(), 3);
    EXPECT_EQ(f.view.LiveTick(false), 3);
    EXPECT_EQ(f.view.NextLiveEntry(), 3);
    // 13 telegrams in 4 rows: the newest (position 2) sits in row 0, row 1 blank.
    EXPECT_EQ(f.Caption(0), "2");
    EXPECT_EQ(f.view.Rows()[0].Id, "102");
    EXPECT_EQ(f.Caption(1), "");
}

TEST(RowWindow, RawChunkStillFillingStaysInItsRow) {
    Fixture f;
    f.view.SetVisibleRows(4);
    f.view.SetCapturing(true);
    TTelEntry* e = f.list.NewTelEntry();
    e->Data[0] = 5;
    EXPECT_EQ(f.view.LiveTick(true), 1);
    EXPECT_EQ(f.view.LiveRow(), 0);
    const unsigned revision = f.view.Revision();
    f.view.LiveTick(true); // same texts again: nothing to repaint
    EXPECT_EQ(f.view.Revision(), revision);
    e->Data[0] = 16;
    f.view.LiveTick(true);
    EXPECT_NE(f.view.Revision(), revision);
    EXPECT_EQ(f.view.LiveRow(), 1);
    EXPECT_EQ(f.view.NextLiveEntry(), 1);
}

TEST(RowWindow, Geometry) {
    EXPECT_EQ(TRowWindow::Column3Width(600, 62, 49, 172), 292);
    EXPECT_EQ(TRowWindow::Column3Width(400, 62, 49, 172), 200);
    EXPECT_EQ(TRowWindow::RowsThatFit(10, 20), 1);
    EXPECT_EQ(TRowWindow::RowsThatFit(-5, 20), 1);
    EXPECT_EQ(TRowWindow::RowsThatFit(400, 20), 20);
    Fixture f;
    f.view.SetVisibleRows(0);
    EXPECT_EQ(f.view.VisibleRows(), 1);
}

TEST(RowDetails, DeltaTimeTexts) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "Delta time: 0us"},
        {999, "Delta time: 999us"},
        {1234, "Delta time: 1.234us"},
        {1'000'000, "Delta time: 1000.000us"},
        {60'000'000, "Delta time: 60sec 0us"},
        {61'500'000, "Delta time: 1min 1sec 500.000us"},
        {81'920'000, "Delta time: 1min 21sec 920.000us"},
    };
    for (auto [t, text] : cases)
        EXPECT_EQ(FormatDeltaTime(t), text);
}

TEST(RowDetails, PanelsAndWraps) {
    TTelegramList list;
    const std::uint16_t stamps[] = {0xFFF0, 0x0010, 0x0020};
    for (auto s : stamps) {
        TTelEntry* e = list.NewTelEntry();
        e->Channel = 1;
        e->TimeStamp = s;
    }
    TDetailPanels p;
    ASSERT_TRUE(MakeDetailPanels(list, 1, 0, 8, p));
    EXPECT_EQ(p[0], "Entry:1");
    EXPECT_EQ(p[1], "Channel:B");
    EXPECT_EQ(p[2], "TimeStamp:0010*8us");
    EXPECT_EQ(p[3], "Delta time: 256us");
    ASSERT_TRUE(MakeDetailPanels(list, 0, 1, 8, p));
    EXPECT_EQ(p[3], "Delta time: 256us");
    ASSERT_TRUE(MakeDetailPanels(list, 1, 1, 8, p));
    EXPECT_EQ(p[3], "Delta time: 0us");
    // A mark beyond the list (buffer reduced) leaves the delta panel empty.
    ASSERT_TRUE(MakeDetailPanels(list, 1, 50, 8, p));
    EXPECT_EQ(p[3], "");
    ASSERT_TRUE(MakeDetailPanels(list, 1, -1, 8, p));
    EXPECT_EQ(p[3], "");
    // No line-monitor information or no entry: panels keep their texts.
    list.At(2)->Channel = kNoChannel;
    p[0] = "keep";
    EXPECT_FALSE(MakeDetailPanels(list, 2, 0, 8, p));
    EXPECT_FALSE(MakeDetailPanels(list, 7, 0, 8, p));
    EXPECT_EQ(p[0], "keep");
}

// Entries without a stamp between mark and selection do not count as a wrap; a whole wrap period
// that only the receive times show does.
TEST(RowDetails, DeltaSkipsUnstampedEntriesAndCountsWrapsByReceiveTime) {
    TTelegramList list;
    const struct {
        std::uint16_t Channel, Stamp;
        std::int64_t ReceiveNs;
    } entries[] = {{1, 0x1000, 0},
                   {kNoChannel, 0, 0},
                   {1, 0x2000, 0},
                   {1, 0x0000, 1'000'000'000},
                   {1, 0x0010, 1'000'000'000 + 524'416'000}};
    for (const auto& in : entries) {
        TTelEntry* e = list.NewTelEntry();
        e->Channel = in.Channel;
        e->TimeStamp = in.Stamp;
        e->ReceiveTime = in.ReceiveNs;
    }
    TDetailPanels p;
    ASSERT_TRUE(MakeDetailPanels(list, 2, 0, 8, p));
    EXPECT_EQ(p[3], "Delta time: 32.768us");
    ASSERT_TRUE(MakeDetailPanels(list, 4, 3, 8, p));
    EXPECT_EQ(p[3], "Delta time: 524.416us");
}

TEST(RowDetails, FrameTexts) {
    TTelEntry coded;
    coded.Data[0] = 0x12;
    coded.Data[49] = 0xAB;
    const std::string text = FrameText(coded);
    EXPECT_EQ(text.rfind("Frame:\n12 00 ", 0), 0u);
    EXPECT_EQ(text.size(), 7u + 50u * 3u);
    EXPECT_EQ(text.substr(text.size() - 3), "AB ");

    TTelEntry status;
    status.Data[1] = kStatusBcc;
    status.Data[2] = 3;
    status.Data[3] = 0x01;
    status.Data[4] = 0xFE;
    status.Data[5] = 0x0A;
    EXPECT_EQ(FrameText(status), "Frame:\n01 FE 0A ");
    status.Data[2] = 200; // more than fits: only the stored bytes
    EXPECT_EQ(FrameText(status).size(), 7u + 49u * 3u);
    status.Data[1] = kStatusWriteOk;
    EXPECT_EQ(FrameText(status).size(), 7u + 50u * 3u);
}

} // namespace
} // namespace protmon
