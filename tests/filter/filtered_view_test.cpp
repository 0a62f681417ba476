#include "filter/filtered_view.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>
#include <vector>

using namespace protmon;
using namespace protmon::test;

namespace {

// Telegrams of one conversation, ID 0x12 unless given.
void ReadReq(TTelegramList& l, std::uint8_t hi, std::uint8_t id = 0x12) {
    Append(l, {id, 0x00, hi, 0x00});
}
void ReadRsp(TTelegramList& l, std::uint8_t ack, std::uint8_t id = 0x12) {
    Append(l, {id, 0x80, 0, 0, 0, 0, ack});
}
void Other(TTelegramList& l) {
    Append(l, {0x33, 0x41, 0x55, 0x55});
}
void RxError(TTelegramList& l) {
    Append(l, {0, kStatusBcc, 1, 0xAA});
}
void Select(TTelegramList& l) {
    Append(l, {0, kStatusSelect, 3});
}

class FilteredViewTest : public ::testing::Test {
protected:
    void Filter(TFilterCriteria& c) { c.FormDeactivate(); }
    void Build() {
        view.SetFilterDisplay(true);
        view.BuildFilteredDisplay();
    }
    void AddressInclude(const char* text) {
        include.Values[kFieldAddress] = {false, text};
        include.FormDeactivate();
    }

    TTelegramList list;
    TFilterCriteria include;
    TFilterCriteria exclude;
    TRecordingHost host;
    TFilteredView view{list, include, exclude, host};
};

TEST_F(FilteredViewTest, RequestBringsInItsResponse) {
    ReadReq(list, 0x20);
    Other(list);
    ReadRsp(list, 0);
    ReadReq(list, 0x30);
    ReadRsp(list, 0);
    AddressInclude("2000h");
    Build();
    EXPECT_EQ(Marks(list), (std::vector<int>{1, 0, 2, 0, 0}));
    EXPECT_EQ(view.FilteredCount(), 2);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(FilteredViewTest, ResponseBringsInNearestUnmarkedRequest) {
    ReadReq(list, 0x20);
    ReadReq(list, 0x30);
    ReadReq(list, 0x40, 0x13); // another ID is no partner
    ReadRsp(list, 1);
    include.Acknowledge = 2; // "1"
    include.FormDeactivate();
    Build();
    EXPECT_EQ(Marks(list), (std::vector<int>{0, 2, 0, 1}));
    EXPECT_EQ(view.FilteredCount(), 2);
}

TEST_F(FilteredViewTest, PartnersAreLookedForEightPositionsAway) {
    for (int gap : {7, 8}) {
        list.Clear();
        ReadReq(list, 0x20);
        for (int i = 0; i < gap; ++i)
            Other(list);
        ReadRsp(list, 0);
        AddressInclude("2000h");
        Build();
        // The response sits gap + 1 positions after the request.
        EXPECT_EQ(view.FilteredCount(), gap + 1 <= 8 ? 2 : 1) << gap;
    }
    list.Clear();
    ReadReq(list, 0x20);
    for (int i = 0; i < 8; ++i)
        Other(list);
    ReadRsp(list, 5);
    include.Values[kFieldAddress].All = true;
    include.Acknowledge = 6; // "5"
    include.FormDeactivate();
    Build();
    EXPECT_EQ(view.FilteredCount(), 1) << "request nine positions before the response";
}

TEST_F(FilteredViewTest, TwoRequestsShareOneResponse) {
    ReadReq(list, 0x20);
    ReadReq(list, 0x20);
    ReadRsp(list, 0);
    AddressInclude("2000h");
    Build();
    EXPECT_EQ(Marks(list), (std::vector<int>{1, 1, 2}));
    EXPECT_EQ(view.FilteredCount(), 3);
}

TEST_F(FilteredViewTest, HeaderCriteriaShowNoPartnersButSelections) {
    ReadReq(list, 0x20, 0x52);
    ReadRsp(list, 0, 0x52);
    ReadReq(list, 0x20, 0x12);
    Select(list);
    RxError(list);
    include.IDHigh = 6; // "5"
    include.FormDeactivate();
    Build();
    EXPECT_EQ(Marks(list), (std::vector<int>{1, 1, 0, 1, 0}));
    include.IDHigh = 1; // "0": receive errors have ID 0
    include.FormDeactivate();
    Build();
    EXPECT_EQ(Marks(list), (std::vector<int>{0, 0, 0, 1, 1}));
}

TEST_F(FilteredViewTest, ExcludePass) {
    ReadReq(list, 0x20);
    RxError(list);
    ReadRsp(list, 0);
    Select(list);
    Other(list);

    exclude.SetRxErrors(true);
    exclude.FormDeactivate();
    Build();
    EXPECT_EQ(Marks(list), (std::vector<int>{1, 0, 1, 1, 1}));
    EXPECT_EQ(view.FilteredCount(), 4);

    // Another criterion, "SlaveSelection" still checked: selections go as well.
    exclude.ResetFilterClick();
    exclude.IDHigh = 4; // "3"
    exclude.FormDeactivate();
    Build();
    EXPECT_EQ(Marks(list), (std::vector<int>{1, 1, 1, 0, 0}));

    // A value match takes the partner out too.
    exclude.ResetFilterClick();
    exclude.Values[kFieldAddress] = {false, "2000h"};
    exclude.FormDeactivate();
    Build();
    // The selection matches the exclude filter plainly, its "SlaveSelection" being checked.
    EXPECT_EQ(Marks(list), (std::vector<int>{0, 1, 0, 0, 1}));
    EXPECT_EQ(view.FilteredCount(), 2);

    // An exclude filter that is not active is not applied.
    exclude.ResetFilterClick();
    exclude.Values[kFieldAddress].All = false; // changed, but the dialog never lost activation
    Build();
    EXPECT_EQ(view.FilteredCount(), 5);
}

TEST_F(FilteredViewTest, EmptyResultIsReported) {
    Other(list);
    AddressInclude("1234h");
    Build();
    EXPECT_EQ(view.FilteredCount(), 0);
    EXPECT_EQ(host.boxes, (std::vector<std::string>{std::string(kNoTelegramsMatched)}));
    EXPECT_FALSE(host.busy);
}

TEST_F(FilteredViewTest, FilterDisplayCommandNeedsAnActiveFilter) {
    Other(list);
    EXPECT_FALSE(view.FilterDisplayCommand());
    EXPECT_FALSE(view.FilterDisplay());
    EXPECT_EQ(view.FilteredCount(), -1);

    Select(list);
    include.SlaveSelect = false;
    include.FormDeactivate();
    EXPECT_TRUE(view.FilterDisplayCommand());
    EXPECT_EQ(view.FilteredCount(), 1);
    EXPECT_EQ(WindowTitle("a.bu5", view.FilterDisplay()),
              "ZIZ Protocol Monitor V4.1  a.bu5 [filtered]");

    // Resetting both filters while filtered rebuilds a view that shows everything.
    include.ResetFilterClick();
    view.BuildFilteredDisplay();
    EXPECT_EQ(view.FilteredCount(), 2);
    EXPECT_TRUE(view.FilterDisplay());

    EXPECT_TRUE(view.FilterDisplayCommand());
    EXPECT_EQ(view.FilteredCount(), -1);
    EXPECT_EQ(WindowTitle("", view.FilterDisplay()), "ZIZ Protocol Monitor V4.1  ");
}

TEST_F(FilteredViewTest, ClearOrSmallerDepthKeepsCountWithinEntries) {
    for (int i = 0; i < 25; ++i)
        ReadReq(list, 0x20);
    AddressInclude("2000h");
    Build();
    EXPECT_EQ(view.FilteredCount(), 25);
    list.SetBufferDepth(10);
    view.ListChanged();
    EXPECT_EQ(view.FilteredCount(), 10);
    list.Clear();
    view.ListChanged();
    EXPECT_EQ(view.FilteredCount(), 0);
    EXPECT_TRUE(host.boxes.empty()); // rebuilt quietly
}

TEST_F(FilteredViewTest, RowMappingFollowsTheMarks) {
    for (int i = 0; i < 12; ++i)
        (i == 3 || i == 8 || i == 9) ? ReadReq(list, 0x20) : Other(list);
    EXPECT_EQ(view.TopIndexForScrollPosition(4), 4);
    EXPECT_EQ(view.ShownCount(), 12);
    AddressInclude("2000h");
    Build();
    EXPECT_EQ(view.ShownCount(), 3);
    EXPECT_EQ(view.TopIndexForScrollPosition(0), 3);
    EXPECT_EQ(view.TopIndexForScrollPosition(1), 8);
    EXPECT_EQ(view.TopIndexForScrollPosition(3), 12);
    EXPECT_EQ(view.ScrollPositionOf(8), 1);
    EXPECT_EQ(view.RowPositions(8, 5), (std::vector<int>{8, 9}));
    EXPECT_EQ(view.RowPositions(0, 2), (std::vector<int>{3, 8}));
    EXPECT_FALSE(view.IsShown(4));
    EXPECT_TRUE(view.IsShown(9));
    EXPECT_FALSE(view.IsShown(12));
}

TEST_F(FilteredViewTest, SearchGoesForwardFromTheSelectedRow) {
    Other(list);
    ReadReq(list, 0x20);
    Other(list);
    ReadReq(list, 0x20);
    AddressInclude("2000h");
    exclude.SetRxErrors(true); // plays no part in a search
    exclude.FormDeactivate();

    const struct {
        int selected;
        SearchStatus status;
        int position;
    } cases[] = {
        {-1, SearchStatus::Found, 1},
        {0, SearchStatus::Found, 1},
        {1, SearchStatus::Found, 3}, // the selected telegram itself is never found again
        {3, SearchStatus::NotFound, -1},
    };
    for (const auto& c : cases) {
        host.boxes.clear();
        const TSearchResult r = view.SearchNext(c.selected);
        EXPECT_EQ(r.Status, c.status) << c.selected;
        EXPECT_EQ(r.Position, c.position) << c.selected;
        EXPECT_EQ(host.boxes.empty(), c.status == SearchStatus::Found);
    }
    EXPECT_EQ(host.boxes, (std::vector<std::string>{std::string(kNoMoreTelegrams)}));

    Build();
    host.boxes.clear();
    EXPECT_EQ(view.SearchNext(0).Status, SearchStatus::AlreadyFiltered);
    EXPECT_EQ(host.boxes, (std::vector<std::string>{std::string(kDisplayAlreadyFiltered)}));
}

} // namespace

namespace {

TEST_F(FilteredViewTest, RebuildForgetsEveryOldMark) {
    for (int i = 0; i < 40; ++i)
        i % 3 == 0 ? ReadReq(list, 0x20) : ReadRsp(list, 0);
    AddressInclude("2000h");
    Build();
    ASSERT_GT(view.FilteredCount(), 20);
    AddressInclude("3000h");
    Build();
    EXPECT_EQ(view.FilteredCount(), 0);
    EXPECT_EQ(Marks(list), std::vector<int>(40, 0));
}

} // namespace

namespace {

TEST_F(FilteredViewTest, PositionsForTheCommandLine) {
    for (int i = 0; i < 6; ++i)
        i % 2 == 0 ? ReadReq(list, 0x20) : Other(list);
    AddressInclude("2000h");
    // The row selected at the start is never found again.
    EXPECT_EQ(view.SearchPositions(0), (std::vector<int>{2, 4}));
    EXPECT_EQ(view.SearchPositions(-1), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(view.ShownPositions().size(), 6u);
    Build();
    EXPECT_EQ(view.ShownPositions(), (std::vector<int>{0, 2, 4}));
}

} // namespace
