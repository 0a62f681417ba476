#include "filter/filtered_view.h"
#include "filter/trigger.h"
#include "filter_test_support.h"
#include "session/buffer_depth.h"

#include <gtest/gtest.h>
#include <optional>

using namespace protmon;
using namespace protmon::test;

namespace {

// Feeds numbered entries (Data[2] = number) as an assembler would until the trigger stops the
// capture; returns the number of the entry that stopped it, or -1.
int Capture(TTelegramList& list, TTrigger& trigger, int entries, int triggerNumber,
            std::uint8_t triggerService = 0x80) {
    trigger.ArmTrigger();
    for (int n = 0; n < entries; ++n) {
        TTelEntry* e = list.NewTelEntry();
        *e = n == triggerNumber ? Entry({0x12, triggerService, static_cast<std::uint8_t>(n)})
                                : Entry({0x12, 0x41, static_cast<std::uint8_t>(n)});
        if (n % 5 == 4)
            *e = Entry({0, kStatusBcc, static_cast<std::uint8_t>(n)}); // receive errors count
        if (trigger.TriggerCheck(*e)) {
            list.UnwrapTelegramList();
            return n;
        }
    }
    return -1;
}

class TriggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        include.Service = 1; // "0"
        include.ReqRsp = 2;  // "Rsp"
        include.FormDeactivate();
    }
    void SetDelay(int delay) { trigger.ApplyDialog({true, std::to_string(delay)}, 10000, host); }

    TTelegramList list;
    TFilterCriteria include;
    TRecordingHost host;
    TTrigger trigger{include};
};

TEST_F(TriggerTest, DelayZeroStopsRightAfterTheTriggerTelegram) {
    SetDelay(0);
    EXPECT_EQ(Capture(list, trigger, 100, 7), 7);
    EXPECT_EQ(list.Count(), 8);
    EXPECT_EQ(trigger.TriggerPosition(list.Count()), 7);
}

TEST_F(TriggerTest, DelayThreeRecordsThreeMoreEntriesIncludingReceiveErrors) {
    SetDelay(3);
    EXPECT_EQ(Capture(list, trigger, 100, 2), 5); // entry 4 is a receive error
    const int p = trigger.TriggerPosition(list.Count());
    EXPECT_EQ(p, list.Count() - 4);
    EXPECT_EQ(list.At(p)->Data[1], 0x80);
}

TEST_F(TriggerTest, TriggerTelegramFoundAfterTheRingWrapped) {
    list.SetBufferDepth(10);
    SetDelay(3);
    EXPECT_EQ(Capture(list, trigger, 100, 16), 19);
    EXPECT_EQ(list.Count(), 10);
    const int p = trigger.TriggerPosition(list.Count());
    EXPECT_EQ(list.At(p)->Data[2], 16);
}

TEST_F(TriggerTest, DelayBeyondTheBufferGivesANegativePosition) {
    list.SetBufferDepth(10);
    SetDelay(12);
    EXPECT_EQ(Capture(list, trigger, 100, 1), 13);
    EXPECT_LT(trigger.TriggerPosition(list.Count()), 0);
}

TEST_F(TriggerTest, ResetFilterFiresOnTheFirstEntry) {
    include.ResetFilterClick();
    SetDelay(0);
    EXPECT_EQ(Capture(list, trigger, 10, -1), 0);
}

TEST_F(TriggerTest, OffNeverFires) {
    EXPECT_EQ(trigger.TriggerDelay(), -1);
    EXPECT_EQ(Capture(list, trigger, 50, 3), -1);
    EXPECT_EQ(trigger.TriggerCounter(), -1);
}

TEST_F(TriggerTest, DialogSetsDelayCaptionAndWarning) {
    const struct {
        bool activated;
        const char* text;
        int delay;
        const char* caption;
    } cases[] = {
        {true, "5", 5, "Trigger (5 delay)"},     {true, "-7", -1, "Trigger "},
        {true, "10h", 16, "Trigger (16 delay)"}, {false, "5", -1, "Trigger "},
        {true, "abc", 0, "Trigger (0 delay)"},
    };
    for (const auto& c : cases) {
        trigger.ApplyDialog({c.activated, c.text}, 10000, host);
        EXPECT_EQ(trigger.TriggerDelay(), c.delay) << c.text;
        EXPECT_EQ(trigger.MenuCaption(), c.caption) << c.text;
        EXPECT_EQ(trigger.MenuChecked(), c.delay >= 0) << c.text;
    }
    EXPECT_TRUE(host.boxes.empty());
    trigger.ApplyDialog({false, "1"}, 10000, host);
    EXPECT_EQ(trigger.DelayFieldText(), "0");
    trigger.ApplyDialog({true, "10000"}, 10000, host);
    EXPECT_EQ(trigger.DelayFieldText(), "10000");
    EXPECT_EQ(host.boxes, (std::vector<std::string>{std::string(kTriggerDepthWarning)}));
}

TEST(BufferCommand, ReadsTheInputBoxText) {
    const struct {
        const char* text;
        int depth;
    } cases[] = {
        {"25", 25},  {"  30", 30}, {"+40", 40}, {"30 ", 20}, {"abc", 20}, {"", 20},
        {"$20", 32}, {"0x20", 32}, {"5", 10},   {"-5", 10},  {"12h", 20},
    };
    for (const auto& c : cases) {
        TTelegramList list;
        list.SetBufferDepth(20);
        TRecordingHost host;
        const auto r = BufferCommand(list, std::string(c.text), -1, nullptr, host);
        EXPECT_TRUE(r.Applied);
        EXPECT_EQ(list.BufferDepth(), c.depth) << '"' << c.text << '"';
        EXPECT_EQ(list.Capacity(), c.depth) << '"' << c.text << '"';
        EXPECT_EQ(r.Caption, "max.Buffer :" + std::to_string(c.depth));
        EXPECT_TRUE(host.boxes.empty());
    }
}

TEST(BufferCommand, TruncatesAndRebuildsAFilteredView) {
    TTelegramList list;
    for (int i = 0; i < 25; ++i)
        Append(list, {0x12, 0x00, 0x20, 0x00});
    TFilterCriteria include, exclude;
    include.IDLow = 3; // "2"
    include.FormDeactivate();
    TRecordingHost host;
    TFilteredView view(list, include, exclude, host);
    view.SetFilterDisplay(true);
    view.BuildFilteredDisplay();
    ASSERT_EQ(view.FilteredCount(), 25);

    const auto r = BufferCommand(list, std::string("5"), -1, &view, host);
    EXPECT_TRUE(r.Truncated);
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.WriteIndex(), 0);
    EXPECT_EQ(view.FilteredCount(), 10);
    EXPECT_EQ(r.Caption, "max.Buffer :10");
}

TEST(BufferCommand, CancelLeavesALoadedListAlone) {
    TTelegramList list;
    list.SetBufferDepth(10);
    for (int i = 0; i < 25; ++i)
        list.AppendEntry();
    list.FinishLoading();
    TRecordingHost host;
    const auto r = BufferCommand(list, std::nullopt, -1, nullptr, host);
    EXPECT_FALSE(r.Applied);
    EXPECT_EQ(list.Count(), 25);
    EXPECT_EQ(list.Capacity(), 25);
    EXPECT_EQ(r.Caption, "max.Buffer :10");
}

TEST(BufferCommand, WarnsWhenTheDepthDoesNotExceedTheDelay) {
    for (int delay : {9999, 10000}) {
        TTelegramList list;
        TRecordingHost host;
        BufferCommand(list, std::string("10000"), delay, nullptr, host);
        EXPECT_EQ(host.boxes.size(), delay >= 10000 ? 1u : 0u) << delay;
    }
}

} // namespace
