#include "capture/capture_link.h"
#include "capture/memory_port_device.h"
#include "capture/raw_assembler.h"
#include "capture_test_support.h"
#include "fake_frame_source.h"

#include <gtest/gtest.h>
#include <numeric>

using namespace protmon;
using namespace protmon::test;

namespace {

Bytes Sequence(std::size_t n, std::uint8_t first) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), first);
    return b;
}

class RawFixture : public ::testing::Test {
protected:
    RawFixture() : link(device), frames(link.Buffer()), assembler(list, link) {
        settings.PortText = "memory";
        EXPECT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
        assembler.SetFrameSource(&frames);
        assembler.SetLineMonitorMode([this] { return lineMonitor; });
    }
    // Count and bytes of entry i.
    Bytes Chunk(int i) const {
        const TTelEntry& e = *list.At(i);
        return Bytes(e.Data.begin() + 1, e.Data.begin() + 1 + e.Data[0]);
    }

    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link;
    TCaptureSettings settings;
    TFakeFrameSource frames;
    TRawAssembler assembler;
    bool lineMonitor = false;
};

} // namespace

TEST_F(RawFixture, SixteenBytesPerEntryContinuingAcrossTicks) {
    const Bytes first = Sequence(40, 0);
    device.Feed(first);
    EXPECT_FALSE(assembler.AssembleRaw().Wrote);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(Chunk(0), Sequence(16, 0));
    EXPECT_EQ(Chunk(1), Sequence(16, 16));
    EXPECT_EQ(Chunk(2), Sequence(8, 32));
    // The next tick goes on in the third entry and opens a fourth once it holds 16.
    device.Feed(Sequence(10, 40));
    assembler.AssembleRaw();
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(Chunk(2), Sequence(16, 32));
    EXPECT_EQ(Chunk(3), Sequence(2, 48));
    EXPECT_EQ(list.At(3)->Channel, kNoChannel);
    // Nothing arrived: nothing changes.
    assembler.AssembleRaw();
    EXPECT_EQ(list.Count(), 4);
}

TEST_F(RawFixture, WrappedRingFillsTheNewestEntry) {
    list.SetBufferDepth(10);
    device.Feed(Sequence(16 * 10 + 4, 0)); // ring full, WriteIndex 1, newest entry at 0
    assembler.AssembleRaw();
    ASSERT_EQ(list.Count(), 10);
    EXPECT_EQ(list.WriteIndex(), 1);
    EXPECT_EQ(Chunk(0), Sequence(4, 160));
    device.Feed(Sequence(3, 164));
    assembler.AssembleRaw();
    EXPECT_EQ(Chunk(0), Sequence(7, 160));
    EXPECT_EQ(list.WriteIndex(), 1);
}

TEST_F(RawFixture, FullEntryFromElsewhereIsNotOverrun) {
    TTelEntry* e = list.NewTelEntry();
    e->Data[0] = 49; // a line-monitor chunk read from a file
    device.Feed(Sequence(5, 1));
    assembler.AssembleRaw();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0)->Data[0], 49);
    EXPECT_EQ(Chunk(1), Sequence(5, 1));
}

TEST_F(RawFixture, LineMonitorFramePerEntry) {
    lineMonitor = true;
    frames.Queue(LineMonitorFrame(Sequence(60, 0), 1, 0xABCD));
    frames.Queue(LineMonitorFrame(Sequence(3, 7), 0, 5));
    frames.Queue(LineMonitorFrame({}, 0, 6));
    assembler.AssembleRaw();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(Chunk(0), Sequence(49, 0));
    EXPECT_EQ(list.At(0)->Channel, 1);
    EXPECT_EQ(list.At(0)->TimeStamp, 0xABCD);
    EXPECT_EQ(Chunk(1), Sequence(3, 7));
    EXPECT_EQ(list.At(2)->Data[0], 1); // an empty telegram still counts 1
    EXPECT_EQ(link.Buffer().Fill(), 0);
}
