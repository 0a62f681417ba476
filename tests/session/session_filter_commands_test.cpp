// The filter, search, trigger, copy and buffer commands as command sequences, without a window:
// what the list shows, which entry is selected, what the user is told.
#include "session/copy_text.h"
#include "session/session_test_support.h"

#include <optional>
#include <string>
#include <vector>

namespace protmon::test {
namespace {

class SessionFilterTest : public SessionTest {
protected:
    int SelectedEntry() const { return session.RowWindow().SelectedEntry(view.selected); }
    // The "Copy" command with the prepared dialog, `from` and `to` replacing its range when
    // given; the clipboard's lines, nothing when the clipboard stays as it is.
    std::optional<std::vector<std::string>> Copy(const char* from = nullptr,
                                                 const char* to = nullptr) {
        TCopyDialogState dialog;
        if (!session.PrepareCopy(dialog))
            return std::nullopt;
        if (from != nullptr)
            dialog.FromText = from;
        if (to != nullptr)
            dialog.ToText = to;
        const std::optional<std::string> text = session.CopyText(dialog, {});
        if (!text)
            return std::nullopt;
        std::vector<std::string> lines;
        std::size_t begin = 0;
        for (std::size_t end; (end = text->find("\r\n", begin)) != std::string::npos;
             begin = end + 2)
            lines.push_back(text->substr(begin, end - begin));
        EXPECT_EQ(begin, text->size()) << "no CR LF at the end";
        return lines;
    }
    static bool StartsWith(const std::string& line, const std::string& start) {
        return line.rfind(start, 0) == 0;
    }
};

TEST_F(SessionFilterTest, FilterDialogsThenFilterDisplay) {
    Add(20);
    // Both filters reset: "Filter display" changes nothing.
    session.FilterDisplay();
    EXPECT_FALSE(session.FilteredView().FilterDisplay());
    EXPECT_EQ(session.Title(), "ZIZ Protocol Monitor V4.1");
    // A dialog closed while the display is not filtered keeps its criteria and rebuilds nothing.
    SetIdLow(3);
    session.FilterDialogClosed();
    EXPECT_TRUE(session.IncludeFilter().FilterActive());
    EXPECT_EQ(session.FilteredView().FilteredCount(), -1);

    session.FilterDisplay();
    EXPECT_TRUE(session.FilteredView().FilterDisplay());
    EXPECT_EQ(session.Title(), "ZIZ Protocol Monitor V4.1   [filtered]");
    EXPECT_EQ(session.FilteredView().FilteredCount(), 2); // IDs 0x03 and 0x13
    EXPECT_EQ(Cell(0), "2");
    EXPECT_EQ(Cell(1), "18");
    EXPECT_EQ(Cell(2), "");

    // The exclude dialog closed while filtered rebuilds the view.
    TFilterCriteria exclude = session.ExcludeFilter();
    exclude.IDHigh = 2; // high nibble 1
    exclude.FormDeactivate();
    session.SetExcludeFilter(exclude);
    session.FilterDialogClosed();
    EXPECT_EQ(session.FilteredView().FilteredCount(), 1);
    EXPECT_EQ(Cell(0), "2");
    EXPECT_EQ(Cell(1), "");

    // An exclude filter that takes out everything: the message, an empty filtered view.
    exclude.ResetFilterClick();
    exclude.SlaveSelect = false; // unchecked: active, and matches every coded telegram
    exclude.FormDeactivate();
    session.SetExcludeFilter(exclude);
    session.FilterDialogClosed();
    EXPECT_EQ(host.infos, std::vector<std::string>{"No telegrams matched ALL filter settings."});
    EXPECT_EQ(session.FilteredView().FilteredCount(), 0);
    EXPECT_EQ(Cell(0), "");
    EXPECT_EQ(session.Title(), "ZIZ Protocol Monitor V4.1   [filtered]");

    session.FilterDisplay();
    EXPECT_FALSE(session.FilteredView().FilterDisplay());
    EXPECT_EQ(session.FilteredView().FilteredCount(), -1);
    EXPECT_EQ(session.Title(), "ZIZ Protocol Monitor V4.1  ");
    EXPECT_EQ(Cell(1), "1");
}

// "Entry:" always names the selected telegram: Filter display moves the selection in both
// directions, and a row left blank selects nothing.
TEST_F(SessionFilterTest, EntryPanelFollowsTheSelectionThroughFilterDisplay) {
    // IDs 0x03 and 0x13 at positions 2 and 18; line-monitor entries show details.
    std::vector<TTelEntry> entries(20);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].Data[0] = static_cast<std::uint8_t>(1 + i);
        entries[i].Data[1] = 0x02;
        entries[i].Channel = 0;
    }
    session.AddEntries(entries);
    SetIdLow(3);
    const auto expectPanelOfSelection = [this] {
        const int selected = SelectedEntry();
        EXPECT_EQ(view.panels[0], selected < 0 ? "" : "Entry:" + std::to_string(selected));
    };
    for (const int row : {5, 1}) {
        SCOPED_TRACE(row);
        view.selected = row;
        session.ShowDetails();
        EXPECT_EQ(view.panels[0], "Entry:" + std::to_string(row));
        session.FilterDisplay(); // on
        expectPanelOfSelection();
        session.FilterDisplay(); // off
        expectPanelOfSelection();
    }
}

TEST_F(SessionFilterTest, ClearWhileFilteredCountsNoRemovedEntries) {
    Add(20);
    SetIdLow(3);
    session.FilterDisplay();
    EXPECT_EQ(session.FilteredView().FilteredCount(), 2);
    session.Clear(true);
    EXPECT_EQ(session.TelegramList().Count(), 0);
    EXPECT_EQ(session.FilteredView().FilteredCount(), 0);
    EXPECT_TRUE(host.infos.empty()); // rebuilt quietly
    Add(4);
    session.FilterDisplay(); // off
    EXPECT_EQ(session.FilteredView().FilteredCount(), -1);
    EXPECT_EQ(Cell(3), "3");
}

TEST_F(SessionFilterTest, SearchMovesTheSelection) {
    Add(40); // IDs 0x03, 0x13, 0x23 at positions 2, 18, 34
    SetIdLow(3);
    view.selected = 0;
    for (const int expected : {2, 18, 34}) {
        session.Search();
        EXPECT_EQ(SelectedEntry(), expected);
    }
    EXPECT_TRUE(host.infos.empty());
    session.Search();
    EXPECT_EQ(host.infos, std::vector<std::string>{"No more telegrams to find."});
    EXPECT_EQ(SelectedEntry(), 34);

    session.FilterDisplay();
    host.infos.clear();
    session.Search();
    EXPECT_EQ(host.infos, std::vector<std::string>{"Display already filtered"});
}

TEST_F(SessionFilterTest, TriggerWithDelayZeroStopsAtTheMatch) {
    SetIdLow(3);
    session.ApplyTrigger({true, "0"});
    Record(Requests(1, 6));
    EXPECT_EQ(session.TelegramList().Count(), 3); // IDs 1, 2 and the trigger telegram 3
    EXPECT_EQ(host.infos, std::vector<std::string>{"Filter has been triggered."});
    EXPECT_EQ(SelectedEntry(), 2);
    // The next start arms it again.
    Record(Requests(0x13, 1));
    EXPECT_EQ(SelectedEntry(), session.TelegramList().Count() - 1);
}

TEST_F(SessionFilterTest, TriggerWithDelayThreeRecordsThreeMore) {
    SetIdLow(3);
    session.ApplyTrigger({true, "3"});
    Record(Requests(1, 10));
    EXPECT_EQ(session.TelegramList().Count(), 6);
    EXPECT_EQ(SelectedEntry(), 2); // the fourth entry from the end
    EXPECT_EQ(session.TelegramList().At(2)->Data[0], 3);
}

TEST_F(SessionFilterTest, TriggerWithResetFilterFiresOnFirstEntry) {
    session.ApplyTrigger({true, "0"});
    Record(Requests(7, 3));
    EXPECT_EQ(session.TelegramList().Count(), 1);
    EXPECT_EQ(SelectedEntry(), 0);
}

TEST_F(SessionFilterTest, TriggerBeyondTheDepthSelectsNothing) {
    session.Buffer(std::string("10"));
    session.ApplyTrigger({true, "15"});
    EXPECT_EQ(host.infos, std::vector<std::string>{
                              "WARNING: Trigger delay is larger than maximum buffer size!"});
    Record(Requests(1, 30));
    EXPECT_EQ(host.infos.back(), "Filter has been triggered.");
    EXPECT_EQ(session.TelegramList().Count(), 10);
    EXPECT_EQ(session.TelegramList().At(9)->Data[0], 16); // the 16th entry stopped it
    EXPECT_EQ(view.selected, -1);
    EXPECT_EQ(session.RowWindow().ScrollPosition(), 0);
    EXPECT_EQ(Cell(0), "0");
}

TEST_F(SessionFilterTest, CopyLimitsAndRefusals) {
    Add(1500);
    const struct {
        const char* from;
        const char* to;
        const char* message;
    } refused[] = {{"1A", "3", "Illegal range selected !"},
                   {"0", "", "Illegal range selected !"},
                   {"5", "4", "Illegal range selected !"}};
    for (const auto& r : refused) {
        SCOPED_TRACE(std::string(r.from) + ".." + r.to);
        host.infos.clear();
        EXPECT_EQ(Copy(r.from, r.to), std::nullopt); // the clipboard stays as it was
        EXPECT_EQ(host.infos, std::vector<std::string>{r.message});
    }

    host.infos.clear();
    auto lines = Copy("0", "1499");
    EXPECT_EQ(host.infos, std::vector<std::string>{"Count of telegrams is limited to 1000 items."});
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 1000u);
    EXPECT_TRUE(StartsWith(lines->back(), "999\t"));

    lines = Copy("-5", "3");
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 9u);
    EXPECT_TRUE(StartsWith(lines->front(), "0\t"));

    lines = Copy("1495", "0x7FFFFFFF");
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 5u);
    EXPECT_TRUE(StartsWith(lines->front(), "1495\t"));
}

TEST_F(SessionFilterTest, CopyAllFilteredTelegrams) {
    Add(40); // ID low nibble 3 at positions 2, 18, 34
    SetIdLow(3);
    session.FilterDisplay();
    EXPECT_EQ(session.FilteredView().FilteredCount(), 3);
    TCopyDialogState dialog;
    ASSERT_TRUE(session.PrepareCopy(dialog));
    EXPECT_TRUE(dialog.AllFilteredEnabled);
    EXPECT_TRUE(dialog.AllFilteredSelected);
    EXPECT_FALSE(dialog.RangeSelected);
    const auto lines = Copy();
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 3u);
    EXPECT_TRUE(StartsWith((*lines)[0], "2\t"));
    EXPECT_TRUE(StartsWith((*lines)[1], "18\t"));
    EXPECT_TRUE(StartsWith((*lines)[2], "34\t"));
}

TEST_F(SessionFilterTest, BufferShrinksAlsoAFilteredView) {
    Add(25);
    // Cancel changes nothing.
    EXPECT_EQ(session.BufferInputText(), "10000");
    session.Buffer(std::nullopt);
    EXPECT_EQ(session.TelegramList().Count(), 25);
    EXPECT_EQ(session.BufferCaption(), "max.Buffer :10000");
    // 5 becomes 10 and the newest entries go, also from a filtered view.
    SetIdLow(3);
    session.FilterDisplay();
    EXPECT_EQ(session.FilteredView().FilteredCount(), 2);
    session.Buffer(std::string("5"));
    EXPECT_EQ(session.TelegramList().Count(), 10);
    EXPECT_EQ(session.BufferCaption(), "max.Buffer :10");
    EXPECT_EQ(session.FilteredView().FilteredCount(), 1);
    EXPECT_EQ(Cell(0), "2");
    EXPECT_EQ(Cell(1), "");
}

} // namespace
} // namespace protmon::test
