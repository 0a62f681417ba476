#include "capture/capture_link.h"
#include "capture/memory_port_device.h"
#include "capture/trx5_assembler.h"
#include "capture/trx5_length.h"
#include "capture_test_support.h"

#include <gtest/gtest.h>
#include <random>

using namespace protmon;
using namespace protmon::test;

namespace {

class Trx5Fixture : public ::testing::Test {
protected:
    Trx5Fixture() : link(device), assembler(list, link, trigger) {
        settings.PortText = "memory";
        EXPECT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    }

    TAssembleResult Feed(const Bytes& bytes) {
        device.Feed(bytes);
        return assembler.AssembleTrx5();
    }

    // Feeds `stream` in chunks of the given sizes (cycled), one tick per chunk.
    void FeedChunked(const Bytes& stream, const std::vector<std::size_t>& sizes) {
        std::size_t pos = 0;
        for (std::size_t i = 0; pos < stream.size(); ++i) {
            const std::size_t n = std::min(sizes[i % sizes.size()], stream.size() - pos);
            Feed(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(pos),
                       stream.begin() + static_cast<std::ptrdiff_t>(pos + n)));
            pos += n;
        }
    }

    Bytes Entry(int i, std::size_t n) const { return EntryBytes(*list.At(i), n); }

    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link;
    TCaptureSettings settings;
    TCountingTrigger trigger;
    TTrx5Assembler assembler;
};

std::vector<Bytes> Entries(const TTelegramList& list) {
    std::vector<Bytes> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(EntryBytes(*list.At(i), kTelDataSize));
    return out;
}

} // namespace

TEST(Trx5Length, TableCases) {
    struct Case {
        Bytes telegram;
        int length;
    };
    const Case cases[] = {
        {{0x01, 0x10}, 3},                                    // read request, service 16
        {{0x01, 0x46, 0, 0, 0, 3}, 10},                       // write request 6: 7 + byte 5
        {{0x01, 0x86, 4}, 9},                                 // read response 6: 5 + byte 2
        {{0x01, 0x49, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 46}, 60}, // write request 9: 14 + byte 12
        {{0x01, 0x4C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 250}, 7},    // 13 + 250, modulo 256
        {{0x01, 0x0D}, 0},                                    // service 13: none
        {{0x01, 0x55}, 0},                                    // write request 21: none
        {{0x01, 0x95}, 22},                                   // read response 21
        {{0x01, 0xF8}, 30},                                   // write response 56
        {{0x01, 0x3F}, 0},                                    // service 63
    };
    for (const Case& c : cases)
        EXPECT_EQ(Trx5TelegramLength(ByteView(c.telegram.data(), c.telegram.size())), c.length)
            << "service byte " << int(c.telegram[1]);
    for (int service : {13, 15, 22, 31, 34, 47, 57, 63})
        for (int cls = 0; cls < 4; ++cls)
            EXPECT_EQ(Trx5LengthRule(static_cast<std::uint8_t>(cls << 6 | service)).Base, 0);
}

TEST_F(Trx5Fixture, FourTelegramsInOnePiece) {
    const Bytes stream = {0x10, 0x00, 0x20, 0x00, 0x01, 0x31, 0x10, 0x01, 0x16,
                          0x0F, 0x01, 0x09, 0x02, 0x02, 0x16, 0x0F, 0x19, 0x02,
                          0x40, 0x16, 0x0F, 0x01, 0x23, 0x45, 0x67, 0xFF, 0xA4};
    EXPECT_TRUE(Feed(stream).Wrote);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(Entry(0, 6), Bytes(stream.begin(), stream.begin() + 6));
    EXPECT_EQ(Entry(1, 6), Bytes(stream.begin() + 6, stream.begin() + 12));
    EXPECT_EQ(Entry(2, 5), Bytes(stream.begin() + 12, stream.begin() + 17));
    EXPECT_EQ(Entry(3, 10), Bytes(stream.begin() + 17, stream.end()));
    EXPECT_EQ(list.At(3)->Channel, kNoChannel);
    EXPECT_EQ(link.Buffer().Fill(), 0);
}

TEST_F(Trx5Fixture, ShortestTelegramAndVariableLength) {
    Feed({0x01, 0x10, 0x11});
    const Bytes write6 = Telegram({0x01, 0x46, 0x00, 0x10, 0x00, 0x03, 0xAA, 0xBB, 0xCC});
    ASSERT_EQ(write6.size(), 10u);
    Feed(write6);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Entry(0, 3), (Bytes{0x01, 0x10, 0x11}));
    EXPECT_EQ(Entry(1, 10), write6);
}

TEST_F(Trx5Fixture, WaitsForTheCountByteAndTheRest) {
    const Bytes t = Telegram({0x02, 0x40, 0x16, 0x0F, 0x01, 0x23, 0x45, 0x67, 0xFF});
    EXPECT_FALSE(Feed(Bytes(t.begin(), t.begin() + 2)).Wrote);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(link.Buffer().Fill(), 2);
    // Variable length: nothing is decided before the count byte is there.
    const Bytes v = Telegram({0x01, 0x46, 0x00, 0x10, 0x00, 0x02, 0xAA, 0xBB});
    Feed(Bytes(t.begin() + 2, t.end()));
    Feed(Bytes(v.begin(), v.begin() + 5));
    EXPECT_EQ(list.Count(), 1);
    Feed(Bytes(v.begin() + 5, v.end()));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Entry(1, v.size()), v);
}

TEST_F(Trx5Fixture, ServiceWithoutLengthIsIllegalFrameThenResync) {
    const Bytes good = Telegram({0x10, 0x00, 0x20, 0x00, 0x01});
    const Bytes stream = Concat({{0x05, 0x0D, 0x77}, good});
    Feed(stream);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Entry(0, 3),
              (Bytes{0, kStatusIllegalFrame, static_cast<std::uint8_t>(stream.size())}));
    EXPECT_EQ(Bytes(list.At(0)->Data.begin() + 3, list.At(0)->Data.begin() + 3 + stream.size()),
              stream);
    EXPECT_EQ(Entry(1, good.size()), good);
}

TEST_F(Trx5Fixture, GarbageBeforeTelegramGivesOneBccEntry) {
    const Bytes good = Telegram({0x02, 0x02, 0x16, 0x0F});
    // A read request of service 16 with a wrong BCC, then a byte that starts nothing.
    const Bytes garbage = {0xAA, 0x10, 0x55};
    Feed(Concat({garbage, good}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0)->Data[0], 0);
    EXPECT_EQ(list.At(0)->Data[1], kStatusBcc);
    EXPECT_EQ(list.At(0)->Data[2], garbage.size() + good.size());
    EXPECT_EQ(Entry(1, good.size()), good);
}

TEST_F(Trx5Fixture, BadBccThenGoodTelegram) {
    Bytes bad = Telegram({0x10, 0x01, 0x16, 0x0F, 0x01});
    bad.back() ^= 0x55;
    const Bytes good = Telegram({0x10, 0x01, 0x16, 0x0F, 0x02});
    Feed(Concat({bad, good}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Entry(0, 3), (Bytes{0, kStatusBcc, 12}));
    EXPECT_EQ(Entry(0, 15), Concat({{0, kStatusBcc, 12}, bad, good}));
    EXPECT_EQ(Entry(1, 6), good);
}

TEST_F(Trx5Fixture, StatusEntryHoldsAtMost48Bytes) {
    Bytes stream(100, 0x00); // service 0 read requests, BCC never 0 after nonzero... all zero
    stream[0] = 0x11;        // first BCC fails; the zeros never start a telegram
    Feed(stream);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.At(0)->Data[2], 100);
    EXPECT_EQ(list.At(0)->Data[3], 0x11);
    EXPECT_EQ(link.Buffer().Fill(), 0);
}

TEST_F(Trx5Fixture, SixtyByteTelegramIsCutAt49) {
    Bytes body(59, 0x00);
    body[0] = 0x01;
    body[1] = 0x49; // write request 9: 14 + byte 12
    body[12] = 46;
    for (std::size_t i = 13; i < body.size(); ++i)
        body[i] = 0xEE; // never a start byte
    const Bytes t = Telegram(body);
    ASSERT_EQ(t.size(), 60u);
    Feed(t);
    ASSERT_GE(list.Count(), 2);
    EXPECT_EQ(Entry(0, 3), (Bytes{0, kStatusIllegalFrame, 49}));
    EXPECT_EQ(Bytes(list.At(0)->Data.begin() + 3, list.At(0)->Data.begin() + 51),
              Bytes(t.begin(), t.begin() + 48));
    // The remaining 11 bytes are garbage.
    EXPECT_EQ(list.At(1)->Data[0], 0);
    EXPECT_EQ(list.At(1)->Data[2], 11);
}

TEST_F(Trx5Fixture, TelegramAfterGarbageSurvivesArrivingInPieces) {
    const Bytes garbage = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const Bytes good = Telegram({0x10, 0x00, 0x20, 0x00, 0x01});
    // The garbage is judged while only the first byte of the telegram has arrived.
    Feed(Concat({garbage, {good[0]}}));
    Feed(Bytes(good.begin() + 1, good.end()));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0)->Data[0], 0);
    EXPECT_EQ(Entry(1, good.size()), good);
}

TEST_F(Trx5Fixture, SameBytesInAnyChunkingGiveTheSameEntries) {
    std::mt19937 rng(7);
    Bytes stream;
    const Bytes bodies[] = {{0x10, 0x00, 0x20, 0x00, 0x01},
                            {0x02, 0x40, 0x16, 0x0F, 0x01, 0x23, 0x45, 0x67, 0xFF},
                            {0x01, 0x10},
                            {0x05, 0x86, 0x03, 0x11, 0x22, 0x33, 0x44},
                            {0x05, 0xC1, 0x00},
                            {0x07, 0xB8, 1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                             14,   15,   16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27}};
    for (int i = 0; i < 200; ++i) {
        const Bytes& body = bodies[rng() % std::size(bodies)];
        const Bytes t = Telegram(body);
        stream.insert(stream.end(), t.begin(), t.end());
    }
    Feed(stream);
    const std::vector<Bytes> whole = Entries(list);
    ASSERT_EQ(whole.size(), 200u);
    for (const std::vector<std::size_t>& sizes :
         std::vector<std::vector<std::size_t>>{{1}, {2}, {3, 1}, {7, 13, 2}, {64}, {5000}}) {
        list.Clear();
        FeedChunked(stream, sizes);
        EXPECT_EQ(Entries(list), whole) << "first chunk size " << sizes[0];
        EXPECT_EQ(link.Buffer().Fill(), 0);
    }
}

TEST_F(Trx5Fixture, TriggerStopsAssemblyAtTheFiringEntry) {
    trigger.ArmTrigger();
    trigger.fireAt = 2;
    const Bytes t = Telegram({0x01, 0x10});
    const TAssembleResult r = Feed(Concat({t, t, t, t}));
    EXPECT_TRUE(r.Triggered);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(link.Buffer().Fill(), 6); // the rest is left unread in the buffer
}

TEST(Trx5Frame, LineMonitorFrameTelegram) {
    TTelegramList list;
    TReceiveBuffer buffer;
    const Bytes t = Telegram({0x10, 0x00, 0x20, 0x00, 0x01});
    Bytes frame =
        Concat({{0x1B, 0x40, 0x1B, static_cast<std::uint8_t>(t.size() + 4), 1, 0x12, 0x34}, t});
    buffer.Append(ByteView(frame.data(), frame.size()));
    TTelEntry* e = TTrx5Assembler::StoreFrameTelegram(buffer, list);
    EXPECT_EQ(EntryBytes(*e, t.size()), t);
    EXPECT_EQ(e->Channel, 1);
    EXPECT_EQ(e->TimeStamp, 0x1234);
    EXPECT_EQ(buffer.Fill(), 0);

    frame.back() ^= 1; // bad BCC
    buffer.Append(ByteView(frame.data(), frame.size()));
    e = TTrx5Assembler::StoreFrameTelegram(buffer, list);
    EXPECT_EQ(EntryBytes(*e, 3), (Bytes{0, kStatusBcc, 6}));
    EXPECT_EQ(e->Channel, 1);
}
