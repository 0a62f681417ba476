// What the simulator sends is what the core's TRX5 assembly expects: frames become coded entries
// with channel and time stamp, copied operator traffic cuts cleanly into telegrams.

#include "capture/receive_buffer.h"
#include "capture/trx5_assembler.h"
#include "model/telegram_list.h"
#include "support/lmsim_process.h"

#include <gtest/gtest.h>

using namespace protmon;
using namespace protmon::testing;

TEST(LmsimCoreAssembly, LineMonitorFramesBecomeEntriesWithChannelAndStamp) {
    LmsimProcess box(kLmsim, {"--udp", "0", "--count", "500", "--bad-bcc-permille", "20"});
    UdpPeer peer(box.Port());
    ASSERT_EQ(peer.Command(16, 1), 0);
    TTelegramList list;
    TReceiveBuffer buffer;
    int badFrames = 0;
    std::vector<DataFrame> frames;
    while (frames.size() < 500) {
        const std::optional<Bytes> d = peer.Receive(1000);
        if (!d)
            break;
        ASSERT_TRUE(SplitFrames(*d, frames));
        badFrames += BccOk(frames.back().telegram) ? 0 : 1;
        buffer.Clear();
        buffer.Append(ByteView(d->data(), d->size()));
        ASSERT_NE(TTrx5Assembler::StoreFrameTelegram(buffer, list), nullptr);
    }
    ASSERT_EQ(list.Count(), 500);
    EXPECT_GT(badFrames, 0);
    int statusEntries = 0;
    for (int i = 0; i < list.Count(); ++i) {
        const TTelEntry& e = *list.At(i);
        const DataFrame& f = frames[static_cast<std::size_t>(i)];
        EXPECT_EQ(e.Channel, f.channel);
        EXPECT_EQ(e.TimeStamp, f.stamp);
        if (e.Data[0] == 0) {
            ++statusEntries;
            EXPECT_EQ(e.Data[1], kStatusBcc) << "only damaged checks, never an illegal frame";
        } else {
            EXPECT_TRUE(std::equal(f.telegram.begin(), f.telegram.end(), e.Data.begin()));
        }
    }
    EXPECT_EQ(statusEntries, badFrames);
}

TEST(LmsimCoreAssembly, OperatorCopiesCutIntoTelegramsWithoutGarbage) {
    LmsimProcess op(kLmsim, {"--pty", "--operator", "--count", "300", "--bad-bcc-permille", "0"});
    PtyPeer peer(op.FirstLine(), 38400);
    ASSERT_TRUE(peer.Send({0x10, 0x41, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x07, 0x01, 0xA8}));
    // The answer, then 300 telegrams of at most 31 bytes; read until a quiet moment.
    Bytes stream;
    for (Bytes more; !(more = peer.ReadSome(stream.empty() ? 1000 : 200)).empty();)
        stream.insert(stream.end(), more.begin(), more.end());
    TTelegramList list;
    TReceiveBuffer buffer;
    ASSERT_EQ(buffer.Append(ByteView(stream.data(), stream.size())),
              static_cast<int>(stream.size()));
    while (TTrx5Assembler::AssembleDirectStep(buffer, list) != nullptr) {
    }
    EXPECT_EQ(buffer.Fill(), 0);
    ASSERT_EQ(list.Count(), 301) << "the answer and the 300 copies";
    EXPECT_EQ(list.At(0)->Data[1], 0xC1);
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_NE(list.At(i)->Data[0], 0) << "status entry at " << i;
}
