#include "model/telegram_list.h"

#include <gtest/gtest.h>

using namespace protmon;

namespace {

void WriteNumbered(TTelegramList& list, int from, int to) {
    for (int i = from; i <= to; ++i)
        list.NewTelEntry()->Data[0] = static_cast<std::uint8_t>(i);
}

std::vector<int> Numbers(const TTelegramList& list) {
    std::vector<int> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.At(i)->Data[0]);
    return out;
}

} // namespace

TEST(TelegramList, RingReuseAndUnwrap) {
    TTelegramList list;
    list.SetBufferDepth(10);
    WriteNumbered(list, 1, 12);
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.At(0)->Data[0], 11);
    EXPECT_EQ(list.At(1)->Data[0], 12);
    EXPECT_EQ(list.WriteIndex(), 2);
    list.UnwrapTelegramList();
    EXPECT_EQ(Numbers(list), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(list.WriteIndex(), 0);
    // Next capture overwrites the oldest first.
    list.NewTelEntry()->Data[0] = 13;
    EXPECT_EQ(list.At(0)->Data[0], 13);
}

TEST(TelegramList, ExactWrapDoesNotReorder) {
    TTelegramList list;
    list.SetBufferDepth(10);
    WriteNumbered(list, 1, 20);
    EXPECT_EQ(list.WriteIndex(), 0);
    list.UnwrapTelegramList();
    EXPECT_EQ(list.At(0)->Data[0], 11);
    EXPECT_EQ(list.At(9)->Data[0], 20);
}

TEST(TelegramList, GetLastTelEntry) {
    TTelegramList list;
    EXPECT_EQ(list.GetLastTelEntry(), nullptr);
    TTelEntry* first = list.NewTelEntry();
    EXPECT_EQ(list.GetLastTelEntry(), first);
    list.SetBufferDepth(10);
    list.Clear();
    WriteNumbered(list, 1, 10);
    list.NewTelEntry()->Data[0] = 11; // overwrites position 0, WriteIndex 1
    EXPECT_EQ(list.GetLastTelEntry()->Data[0], 10);
    list.NewTelEntry()->Data[0] = 12; // WriteIndex 2
    EXPECT_EQ(list.GetLastTelEntry()->Data[0], 11);
    WriteNumbered(list, 13, 20); // WriteIndex wraps to 0
    EXPECT_EQ(list.WriteIndex(), 0);
    EXPECT_EQ(list.GetLastTelEntry()->Data[0], 19);
}

TEST(TelegramList, ReusedEntryGetsNoChannel) {
    TTelegramList list;
    list.SetBufferDepth(10);
    for (int i = 0; i < 10; ++i) {
        TTelEntry* e = list.NewTelEntry();
        e->Channel = 1;
        e->TimeStamp = 77;
        e->Data.fill(0xAB);
    }
    TTelEntry* reused = list.NewTelEntry();
    EXPECT_EQ(reused, list.At(0));
    EXPECT_EQ(reused->Channel, kNoChannel);
    // Nothing of the overwritten telegram shows through behind a shorter one.
    EXPECT_EQ(reused->TimeStamp, 0);
    EXPECT_EQ(reused->Data, TTelEntry{}.Data);
}

TEST(TelegramList, BufferDepthChange) {
    TTelegramList list;
    WriteNumbered(list, 1, 15);
    list.SetBufferDepth(3); // clamped to the minimum
    EXPECT_EQ(list.Capacity(), kMinBufferDepth);
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.WriteIndex(), 0);
    EXPECT_EQ(list.At(9)->Data[0], 10);
    list.NewTelEntry()->Data[0] = 99;
    EXPECT_EQ(list.At(0)->Data[0], 99);

    list.SetBufferDepth(100);
    EXPECT_EQ(list.WriteIndex(), -1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 100);
}

TEST(TelegramList, LoadingBeyondCapacityMakesFullRing) {
    TTelegramList list;
    list.SetBufferDepth(10);
    for (int i = 0; i < 25; ++i)
        list.AppendEntry();
    list.FinishLoading();
    EXPECT_EQ(list.Capacity(), 25);
    EXPECT_EQ(list.WriteIndex(), 0);
    EXPECT_EQ(list.NewTelEntry(), list.At(0));

    TTelegramList small;
    for (int i = 0; i < 5; ++i)
        small.AppendEntry();
    small.FinishLoading();
    EXPECT_EQ(small.WriteIndex(), -1);
    EXPECT_EQ(small.At(5), nullptr);
    EXPECT_EQ(small.At(-1), nullptr);
}

TEST(TelegramList, FullRingReusesTheSameEntries) {
    TTelegramList list;
    list.SetBufferDepth(10);
    WriteNumbered(list, 1, 10);
    std::vector<const TTelEntry*> entries;
    for (int i = 0; i < 10; ++i)
        entries.push_back(list.At(i));
    WriteNumbered(list, 11, 1000);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(list.At(i), entries[static_cast<std::size_t>(i)]);
    EXPECT_EQ(list.Count(), 10);
}

TEST(TelegramList, UnwrapLeavesGrowingListAndClearResetsCapacity) {
    TTelegramList list;
    list.SetBufferDepth(10);
    WriteNumbered(list, 1, 5);
    list.UnwrapTelegramList();
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(list.WriteIndex(), -1);
    for (int i = 0; i < 20; ++i)
        list.AppendEntry();
    list.FinishLoading();
    EXPECT_EQ(list.Capacity(), 25);
    list.Clear();
    EXPECT_EQ(list.Capacity(), 10);
    EXPECT_EQ(list.WriteIndex(), -1);
}
