// Command sequences of the session, without a window: Clear, Save and Read, details and mark,
// the filtered display, search and the trigger stop.
#include "session/session_test_support.h"

namespace protmon::test {
namespace {

TEST_F(SessionTest, ClearAsksOnlyWithUnsavedTelegrams) {
    session.Clear(true);
    EXPECT_TRUE(host.questions.empty()); // empty list: nothing at all
    Record(Requests(1, 4));
    ASSERT_EQ(session.TelegramList().Count(), 4);
    ASSERT_TRUE(session.UnsavedTelegrams());
    host.answer = false;
    session.Clear(true);
    EXPECT_EQ(host.questions, std::vector<std::string>{"Erase all recorded telegrams ?"});
    EXPECT_EQ(session.TelegramList().Count(), 4);
    host.answer = true;
    host.busyCalls.clear();
    session.Clear(true);
    EXPECT_EQ(session.TelegramList().Count(), 0);
    EXPECT_EQ(Cell(0), "");
    EXPECT_EQ(session.RowWindow().HeaderCaption(), "0");
    EXPECT_EQ(host.busyCalls, (std::vector<bool>{true, false}));
    // A capture start clears without asking.
    Add(3);
    session.Clear(false);
    EXPECT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(session.TelegramList().Count(), 0);
}

TEST_F(SessionTest, RecordingSetsTitleAndSummary) {
    EXPECT_EQ(session.Title(), "ZIZ Protocol Monitor V4.1");
    Record(Requests(1, 5));
    EXPECT_EQ(view.titles.front(), "ZIZ Protocol Monitor V4.1  ");
    EXPECT_EQ(view.idleStates, (std::vector<bool>{false, true}));
    const TCaptureSummary s = session.Summary();
    EXPECT_EQ(s.Entries, 5);
    EXPECT_EQ(s.RxErrors, 0);
    EXPECT_EQ(s.End, CaptureEnd::Stopped);
}

TEST_F(SessionTest, SaveThenReadGivesTheSameRows) {
    std::vector<TTelEntry> entries(30);
    for (int i = 0; i < 30; ++i) {
        TTelEntry& e = entries[static_cast<std::size_t>(i)];
        const Bytes t = Telegram({static_cast<std::uint8_t>(1 + i), 0x10});
        std::copy(t.begin(), t.end(), e.Data.begin());
        e.Channel = static_cast<std::uint16_t>(i % 2);
        e.TimeStamp = static_cast<std::uint16_t>(i * 100);
    }
    session.AddEntries(entries);
    const std::vector<TRowTexts> before = session.RowWindow().Rows();

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("session_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    chooser.saveName = (dir / "rec.txt").string(); // becomes rec.bu5
    chooser.openName = (dir / "rec.bu5").string();
    session.Save();
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(session.CurrentFileName(), chooser.openName);
    EXPECT_EQ(session.Title(), "ZIZ Protocol Monitor V4.1  " + chooser.openName);
    EXPECT_EQ(session.FileFolder(), dir.string());
    // Saving again asks before overwriting; Cancel keeps the file as it is.
    host.answer = false;
    session.Save();
    EXPECT_EQ(host.questions.back(), "Confirm overwriting " + chooser.openName);
    host.answer = true;

    // Saved, so Read clears without asking, and the list has the focus afterwards.
    host.questions.clear();
    session.Read();
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(host.errors.empty());
    ASSERT_EQ(session.TelegramList().Count(), 30);
    EXPECT_EQ(session.TelegramList().At(7)->TimeStamp, 700);
    ASSERT_EQ(session.RowWindow().Rows().size(), before.size());
    for (std::size_t r = 0; r < before.size(); ++r)
        EXPECT_EQ(session.RowWindow().Rows()[r].Additional, before[r].Additional) << r;
    EXPECT_FALSE(session.UnsavedTelegrams());
    EXPECT_EQ(view.focused, 1);

    // A file that cannot be opened leaves everything as it was.
    chooser.openName = (dir / "missing.bu5").string();
    session.Read();
    EXPECT_EQ(host.errors, std::vector<std::string>{"Error reading from file"});
    std::filesystem::remove_all(dir);
}

TEST_F(SessionTest, DetailsMarkAndFrame) {
    std::vector<TTelEntry> entries(4);
    for (int i = 0; i < 4; ++i) {
        TTelEntry& e = entries[static_cast<std::size_t>(i)];
        e.Data[0] = 5;
        e.Data[1] = 2;
        // Entry 2 carries no line-monitor information (looked at last).
        e.Channel = i == 2 ? kNoChannel : static_cast<std::uint16_t>(i % 2);
        e.TimeStamp = static_cast<std::uint16_t>(0xFFF0 + 0x10 * i);
    }
    session.AddEntries(entries);
    view.selected = 0;
    session.ShowDetails();
    EXPECT_EQ(view.panels[0], "Entry:0");
    EXPECT_EQ(view.panels[1], "Channel:A");
    EXPECT_EQ(view.panels[3], "");
    session.Mark();
    EXPECT_EQ(session.MarkIndex(), 0);
    EXPECT_EQ(Cell(0), "<0>");
    EXPECT_EQ(view.panels[3], "Delta time: 0us");
    view.selected = 1;
    session.ShowDetails();
    EXPECT_EQ(view.panels[0], "Entry:1");
    EXPECT_EQ(view.panels[1], "Channel:B");
    EXPECT_EQ(view.panels[3], "Delta time: 0us"); // resolution still 0
    session.ShowFrame();
    ASSERT_EQ(host.infos.size(), 1u);
    EXPECT_EQ(host.infos[0].rfind("Frame:\n05 02 ", 0), 0u);
    // Entries without line-monitor information leave the panels as they were.
    view.selected = 2;
    session.ShowDetails();
    EXPECT_EQ(view.panels[0], "Entry:1");
}

TEST_F(SessionTest, FilterDisplayAndSearch) {
    Add(20);                 // IDs 1 .. 20
    session.FilterDisplay(); // no filter set: nothing happens
    EXPECT_EQ(session.Title(), "ZIZ Protocol Monitor V4.1");
    SetIdLow(3); // IDs 03h and 13h
    session.FilterDisplay();
    EXPECT_EQ(session.Title(), "ZIZ Protocol Monitor V4.1   [filtered]");
    EXPECT_EQ(session.RowWindow().HeaderCaption(), "[2]");
    EXPECT_EQ(Cell(0), "2");
    EXPECT_EQ(Cell(1), "18");
    EXPECT_EQ(Cell(2), "");
    // Search is refused while filtered.
    session.Search();
    EXPECT_EQ(host.infos.back(), "Display already filtered");
    EXPECT_EQ(view.selected, -1);
    session.FilterDisplay();
    EXPECT_EQ(session.Title(), "ZIZ Protocol Monitor V4.1  ");
    EXPECT_EQ(Cell(2), "2");

    // No row selected: the first visible row is selected and the search starts behind it; the
    // list gets the focus.
    session.Search();
    EXPECT_EQ(session.RowWindow().SelectedEntry(view.selected), 2);
    EXPECT_EQ(view.focused, 1);
    session.Search();
    EXPECT_EQ(session.RowWindow().SelectedEntry(view.selected), 18);
    // Nothing more: the row stays selected.
    session.Search();
    EXPECT_EQ(host.infos.back(), "No more telegrams to find.");
    EXPECT_EQ(session.RowWindow().SelectedEntry(view.selected), 18);
    EXPECT_EQ(view.focused, 3);
}

TEST_F(SessionTest, NothingFoundFromNoSelectionKeepsTheFirstRowSelected) {
    Add(5);
    SetIdLow(9); // none of IDs 1 .. 5
    session.Search();
    EXPECT_EQ(host.infos, std::vector<std::string>{"No more telegrams to find."});
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(view.focused, 1);
}

TEST_F(SessionTest, TriggerStopShowsTheTriggerTelegramWithTheFocus) {
    session.ApplyTrigger({true, "2"});
    Record(Requests(1, 10));
    // The reset filter fires on the first entry; two more are recorded.
    EXPECT_EQ(session.TelegramList().Count(), 3);
    EXPECT_EQ(host.infos, std::vector<std::string>{"Filter has been triggered."});
    EXPECT_EQ(session.Summary().End, CaptureEnd::Trigger);
    EXPECT_EQ(session.RowWindow().SelectedEntry(view.selected), 0);
    EXPECT_EQ(view.focused, 1);
}

TEST(CaptureSummary, TextAndJson) {
    TCaptureSummary s;
    s.Entries = 12;
    s.RxErrors = 3;
    s.RingDrops = 4;
    s.SystemDrops = 5;
    s.Seconds = 1.5;
    const struct {
        CaptureEnd end;
        const char* text;
    } ends[] = {{CaptureEnd::Count, "count"},
                {CaptureEnd::Time, "time"},
                {CaptureEnd::Signal, "signal"},
                {CaptureEnd::DeviceLost, "device lost"},
                {CaptureEnd::Trigger, "trigger"},
                {CaptureEnd::Stopped, "stopped"},
                {CaptureEnd::OutputError, "output error"},
                {CaptureEnd::WriteError, "write error"}};
    for (const auto& e : ends) {
        s.End = e.end;
        EXPECT_EQ(SummaryText(s), std::string("Capture ended (") + e.text +
                                      ") after 1.500 s: 12 entries, RxErrors:3, dropped by a "
                                      "full ring: 4, dropped by the system: 5\n");
        EXPECT_EQ(SummaryJson(s), std::string("{\"entries\": 12, \"rx_errors\": 3, \"ring_drops\": "
                                              "4, \"system_drops\": 5, \"end\": \"") +
                                      e.text + "\", \"seconds\": 1.500}\n");
    }
    // Over UDP the bad datagrams are told on a line of their own and in the JSON.
    s.Datagrams = true;
    s.BadDatagrams = 6;
    EXPECT_EQ(BadDatagramsText(s), "Bad datagrams: 6\n");
    EXPECT_NE(SummaryJson(s).find("\"system_drops\": 5, \"bad_datagrams\": 6, \"end\""),
              std::string::npos);
    s.Datagrams = false;
    EXPECT_EQ(BadDatagramsText(s), "");
}

} // namespace
} // namespace protmon::test
