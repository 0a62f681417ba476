#include "capture/capture_link.h"
#include "capture/din_assembler.h"
#include "capture/din_frame.h"
#include "capture/memory_port_device.h"
#include "capture/trx5_length.h"
#include "capture_test_support.h"
#include "fake_frame_source.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

using namespace protmon;
using namespace protmon::test;

namespace {

constexpr char STX = 0x02, ETX = 0x03, EOT = 0x04, ENQ = 0x05, ACK = 0x06, NAK = 0x15;

Bytes Chars(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Appends the DIN check character over `covered` characters from `from` on.
Bytes WithCheck(const std::string& s, std::size_t from = 0) {
    std::uint8_t x = 0;
    for (std::size_t i = from; i < s.size(); ++i)
        x ^= static_cast<std::uint8_t>(s[i]);
    Bytes out = Chars(s);
    out.push_back(x < 0x20 ? static_cast<std::uint8_t>(x + 0x20) : x);
    return out;
}
std::uint8_t Trx5BccOf(const Bytes& b) {
    std::uint8_t x = 0;
    for (std::uint8_t c : b)
        x ^= c;
    return x;
}

Bytes Request(const std::string& body) {
    return WithCheck(body + ENQ);
}
Bytes Block(const std::string& body) {
    return WithCheck(std::string(1, STX) + body + ETX, 1);
}

// Records which check every stored entry got.
class TCheckLog : public ITriggerHook {
public:
    void ArmTrigger() override {}
    bool TriggerCheck(const TTelEntry&) override {
        log += 'T';
        return fireAt == static_cast<int>(log.size());
    }
    bool TriggerCheckWithoutArming(const TTelEntry&) override {
        log += 'd';
        return fireAt == static_cast<int>(log.size());
    }
    int TriggerPosition(int count) const override { return count - 1; }
    std::string log;
    int fireAt = -1;
};

class DinFixture : public ::testing::Test {
protected:
    DinFixture() : link(device), frames(link.Buffer()), assembler(list, link, trigger, host) {
        settings.PortText = "memory";
        EXPECT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
        assembler.SetFrameSource(&frames);
        assembler.SetLineMonitorMode([this] { return lineMonitor; });
    }

    TAssembleResult Feed(const Bytes& bytes) {
        device.Feed(bytes);
        return assembler.AssembleDin();
    }
    Bytes Entry(int i, std::size_t n) const { return EntryBytes(*list.At(i), n); }

    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link;
    TCaptureSettings settings;
    TRecordingHost host;
    TCheckLog trigger;
    TFakeFrameSource frames;
    TDinAssembler assembler;
    bool lineMonitor = false;
};

} // namespace

TEST(DinFrame, FinderCases) {
    struct Case {
        std::string chars;
        TDinFind::Kind kind;
        int length;
        DinFrameForm form;
    };
    using F = DinFrameForm;
    const Case cases[] = {
        {std::string(1, EOT) + "05", TDinFind::Frame, 3, F::Select},
        {std::string(1, EOT) + "0", TDinFind::Wait, 0, F::Select},
        {std::string("3") + EOT, TDinFind::Frame, 2, F::End},
        {std::string("13") + EOT, TDinFind::Frame, 3, F::End},
        {std::string("x123") + EOT, TDinFind::Discard, 2, F::Select},
        {std::string(1, STX) + "G1" + ETX, TDinFind::Wait, 0, F::Select},
        {std::string(1, STX) + "G1" + ETX + "x", TDinFind::Frame, 5, F::DataBlock},
        {std::string("G1") + ENQ, TDinFind::Wait, 0, F::Select},
        {std::string("G1") + ENQ + "x", TDinFind::Frame, 4, F::Request},
        {std::string("00G1") + ENQ + "x", TDinFind::Discard, 2, F::Select},
        {std::string("0102") + ENQ, TDinFind::Frame, 5, F::ShortRequest},
        {std::string("01") + ENQ, TDinFind::Discard, 3, F::Select},
        {std::string("0010203") + ENQ, TDinFind::Discard, 3, F::Select},
        {std::string(1, ACK), TDinFind::Frame, 1, F::Acknowledge},
        {std::string("1") + ACK, TDinFind::Frame, 2, F::Acknowledge},
        {std::string("123") + ACK, TDinFind::Discard, 2, F::Select},
        {std::string(1, NAK) + "13" + NAK, TDinFind::Discard, 1, F::Select},
        {std::string("3") + NAK, TDinFind::Frame, 2, F::NegativeAck},
        {std::string("0123") + NAK, TDinFind::Discard, 2, F::Select},
        {std::string("ab") + STX, TDinFind::Discard, 2, F::Select},
        {"0123456789", TDinFind::Wait, 0, F::Select},
    };
    for (const Case& c : cases) {
        const Bytes b = Chars(c.chars);
        const TDinFind f = FindDinFrame(ByteView(b.data(), b.size()));
        EXPECT_EQ(f.Result, c.kind) << c.chars;
        EXPECT_EQ(f.Length, c.length) << c.chars;
        if (c.kind == TDinFind::Frame) {
            EXPECT_EQ(f.Form, c.form) << c.chars;
        }
    }
}

TEST(DinFrame, CheckCharacterBelowSpaceIsRaised) {
    const Bytes r = Chars(std::string("I1009A") + ENQ);
    EXPECT_EQ(DinBlockCheck(ByteView(r.data(), r.size())), 0x25);
    const Bytes none;
    EXPECT_EQ(DinBlockCheck(ByteView(none.data(), 0)), 0x20);
}

TEST_F(DinFixture, ReadRequestsConverted) {
    Feed(Concat({Request("G1123456"), Request("I1009A")}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Entry(0, 6), Telegram({0x10, 0x00, 0x12, 0x34, 0x56}));
    // Its check character computes to 0x05 and is sent as 0x25.
    EXPECT_EQ(Request("I1009A").back(), 0x25);
    EXPECT_EQ(Entry(1, 5), Telegram({0x10, 0x02, 0x00, 0x9A}));
    EXPECT_EQ(trigger.log, "TT");
}

TEST_F(DinFixture, DataBlocksAndShortForms) {
    Feed(Concat({Block("G1DEADBEEF"),                // read response 0, 13 characters
                 Block("I2" + std::string(20, '1')), // write request 2, 25 characters
                 Chars(std::string("13") + NAK),     // error 3 after it
                 Chars(std::string("0102") + ENQ),   // short request
                 Block("0123FFFE"),                  // short data block after a read request
                 Block("01230005"),                  // short data block after a response
                 Chars(std::string(1, ACK)),         // write response without address
                 Chars(std::string("2") + ACK)}));
    ASSERT_EQ(list.Count(), 8);
    EXPECT_EQ(Entry(0, 8), Telegram({0x10, 0x80, 0xDE, 0xAD, 0xBE, 0xEF, 0}));
    EXPECT_EQ(Entry(1, 13),
              Telegram({0x20, 0x42, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}));
    EXPECT_EQ(Entry(2, 4), Telegram({0x10, 0xC2, 3}));
    EXPECT_EQ(Entry(3, 6), Telegram({0xFF, 0x01, 0x01, 0x02, 1}));
    EXPECT_EQ(Entry(4, 8), Telegram({0xFF, 0x81, 0xFF, 0xFF, 0xFF, 0xFE, 0}));
    EXPECT_EQ(Entry(5, 10), Telegram({0xFF, 0x41, 0x01, 0x23, 0, 0, 0x00, 0x05, 1}));
    EXPECT_EQ(Entry(6, 4), Telegram({0xFF, 0xC1, 0}));
    EXPECT_EQ(Entry(7, 4), Telegram({0x20, 0xC1, 0}));
}

TEST_F(DinFixture, SelectThenRequest) {
    Feed(Concat({Chars(std::string(1, EOT) + "05"), Request("W5")}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Entry(0, 3), (Bytes{0, kStatusSelect, 5}));
    EXPECT_EQ(Entry(1, 3), Telegram({0x50, 0x10}));
}

TEST_F(DinFixture, ByPreviousFollowsTheRecordedRequest) {
    // "M1" blocks: a read response right after the request, a write request otherwise.
    Feed(Concat({Request("M101234"), Block("M103abc"), Block("M10123403xyz")}));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(Entry(0, 6), Telegram({0x10, 0x06, 0x01, 0x23, 4}));
    EXPECT_EQ(Entry(1, 8), Telegram({0x10, 0x86, 3, 'a', 'b', 'c', 0}));
    EXPECT_EQ(Entry(2, 10), Telegram({0x10, 0x46, 0x01, 0x23, 4, 3, 'x', 'y', 'z'}));
    // The read-request form of the same block after a write becomes the write-request form,
    // which does not fit: an "Illegal Frame".
    Feed(Block("M103abc"));
    EXPECT_EQ(Entry(3, 3), (Bytes{0, kStatusIllegalFrame, 10}));
}

TEST_F(DinFixture, AcknowledgeAndEndTakeThePreviousService) {
    Feed(Concat({Request("g1012345"), Chars(std::string("1") + ACK), // read of 32: 0xA0
                 Request("K1ABCD"), Chars(std::string("14") + EOT),  // End of service 4
                 Chars(std::string("7") + EOT)}));                   // after a response
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(Entry(1, 4), Telegram({0x10, 0xA0, 0}));
    // Read response of service 4 is 12 bytes long: status at 10, BCC at 11.
    const TTelEntry& end = *list.At(3);
    EXPECT_EQ(end.Data[0], 0x10);
    EXPECT_EQ(end.Data[1], 0x84);
    EXPECT_EQ(end.Data[10], 4);
    EXPECT_EQ(end.Data[11], Trx5BccOf(EntryBytes(end, 11)));
    EXPECT_EQ(list.At(4)->Data[1], 0x84);
    EXPECT_EQ(list.At(4)->Data[0], 0xFF);
}

TEST_F(DinFixture, EndAfterServiceWithoutReadResponseStaysInsideItsTelegram) {
    // A telegram of service 13 (no read-response length), e.g. from a monitor file.
    TTelEntry* e = list.NewTelEntry();
    e->Data.fill(0xEE);
    e->Data[0] = 0x10;
    e->Data[1] = 0x0D;
    Feed(Chars(std::string("5") + EOT));
    const TTelEntry& end = *list.At(1);
    EXPECT_EQ(end.Data[1], 0x8D);
    EXPECT_EQ(end.Data[6], 5); // the length of service 1: 8 bytes
    EXPECT_EQ(end.Data[7], Trx5BccOf(EntryBytes(end, 7)));
}

TEST_F(DinFixture, GarbageAndBadFrames) {
    Feed(Concat({Chars("xy12"), Block("G1DEADBEEF")}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Entry(0, 7), (Bytes{0, kStatusIllegalFrame, 4, 'x', 'y', '1', '2'}));
    EXPECT_EQ(list.At(1)->Data[1], 0x80);

    Bytes bad = Request("G1123456");
    bad.back() ^= 1;
    Feed(
        Concat({bad, Request("V1"), Request("G0123456"), Block("G1DEADBEE"), Block("G1DEADBEEG")}));
    ASSERT_EQ(list.Count(), 7);
    EXPECT_EQ(Entry(2, 3), (Bytes{0, kStatusBcc, 10}));
    EXPECT_EQ(Entry(2, 13), Concat({{0, kStatusBcc, 10}, bad}));
    EXPECT_EQ(Entry(3, 3), (Bytes{0, kStatusIllegalFrame, 4}));  // unknown letter
    EXPECT_EQ(Entry(4, 3), (Bytes{0, kStatusIllegalFrame, 10})); // address digit 0
    EXPECT_EQ(Entry(5, 3), (Bytes{0, kStatusIllegalFrame, 12})); // wrong length
    EXPECT_EQ(Entry(6, 3), (Bytes{0, kStatusIllegalFrame, 13})); // not a hex digit
    EXPECT_EQ(trigger.log, "dTTTTTT");
}

TEST_F(DinFixture, CountAbove24IsTakenAs24) {
    Feed(Request("P1000012345"));
    Feed(Block("P10123456789"
               "1E" +
               std::string(30, 'z')));
    ASSERT_EQ(list.Count(), 2);
    const TTelEntry& e = *list.At(1);
    EXPECT_EQ(EntryBytes(e, 8), (Bytes{0x10, 0x89, 0x01, 0x23, 0x45, 0x67, 0x89, 24}));
    EXPECT_EQ(e.Data[31], 'z');
    EXPECT_EQ(e.Data[32], 0); // status byte of the read response
    EXPECT_EQ(Trx5BccOf(EntryBytes(e, 33)), e.Data[33]);
}

TEST_F(DinFixture, SameEntriesWhateverTheSplit) {
    const Bytes stream = Concat(
        {Chars(std::string(1, EOT) + "01"), Chars("zz"), Request("G1123456"), Block("G1DEADBEEF"),
         Request("M101234"), Block("M103abc"), Chars(std::string("13") + NAK), Block("0123FFFE")});
    Feed(stream);
    std::vector<Bytes> whole;
    for (int i = 0; i < list.Count(); ++i)
        whole.push_back(Entry(i, kTelDataSize));
    ASSERT_EQ(whole.size(), 8u);
    for (std::size_t chunk : {1u, 2u, 3u, 7u}) {
        TTelegramList fresh;
        TDinAssembler a(fresh, link, trigger, host);
        for (std::size_t pos = 0; pos < stream.size(); pos += chunk) {
            device.Feed(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(pos),
                              stream.begin() + static_cast<std::ptrdiff_t>(
                                                   std::min(pos + chunk, stream.size()))));
            a.AssembleDin();
        }
        ASSERT_EQ(fresh.Count(), 8) << "chunk " << chunk;
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(EntryBytes(*fresh.At(i), kTelDataSize), whole[static_cast<std::size_t>(i)])
                << "chunk " << chunk << " entry " << i;
    }
}

TEST_F(DinFixture, FullBufferWithoutFrameIsGivenUp) {
    Feed(Bytes(static_cast<std::size_t>(kReceiveReadLimit) + 100, '7'));
    ASSERT_GE(list.Count(), 1);
    EXPECT_EQ(list.At(0)->Data[1], kStatusIllegalFrame);
    EXPECT_LT(link.Buffer().Fill(), kReceiveReadLimit);
}

TEST_F(DinFixture, LineMonitorFrames) {
    lineMonitor = true;
    // A Select and the request behind it in one frame; garbage in a frame; a data block.
    frames.Queue(
        LineMonitorFrame(Concat({Chars(std::string(1, EOT) + "01"), Request("W1")}), 1, 0x1234));
    frames.Queue(LineMonitorFrame(Chars("12"), 0, 0x0002));
    frames.Queue(LineMonitorFrame(Block("G1DEADBEEF"), 0, 0x0003));
    const TAssembleResult r = assembler.AssembleDin();
    EXPECT_TRUE(r.Wrote);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(Entry(0, 3), (Bytes{0, kStatusSelect, 1}));
    EXPECT_EQ(Entry(1, 3), Telegram({0x10, 0x10}));
    EXPECT_EQ(list.At(1)->Channel, 1);
    EXPECT_EQ(list.At(1)->TimeStamp, 0x1234);
    EXPECT_EQ(Entry(2, 5), (Bytes{0, kStatusIllegalFrame, 2, '1', '2'}));
    EXPECT_EQ(list.At(2)->TimeStamp, 2);
    EXPECT_EQ(list.At(3)->Data[1], 0x80);
    EXPECT_EQ(list.At(3)->Channel, 0);
    EXPECT_EQ(link.Buffer().Fill(), 0);
    EXPECT_EQ(trigger.log, "TTdT");
}

TEST_F(DinFixture, TriggerStopsTheTick) {
    trigger.fireAt = 2;
    const TAssembleResult r = Feed(Concat({Request("W1"), Request("W2"), Request("W3")}));
    EXPECT_TRUE(r.Triggered);
    EXPECT_EQ(list.Count(), 2);
}

// Arbitrary characters, drawn mostly from what DIN66019II frames are made of, in arbitrary
// pieces: every character ends up in an entry or stays for a later frame, and every entry is a
// telegram no longer than 49 bytes or a status entry.
TEST_F(DinFixture, ArbitraryInputIsAlwaysAccountedFor) {
    const std::string alphabet = std::string("0123456789ABCDEFGMPSWgwy|\\{") + STX + ETX + EOT +
                                 ENQ + ACK + NAK + "\x7F\xFF";
    std::mt19937 rng(3);
    for (int round = 0; round < 200; ++round) {
        Bytes stream(rng() % 400);
        for (std::uint8_t& b : stream)
            b = static_cast<std::uint8_t>(alphabet[rng() % alphabet.size()]);
        for (std::size_t pos = 0; pos < stream.size();) {
            const std::size_t n = std::min<std::size_t>(1 + rng() % 40, stream.size() - pos);
            Feed(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(pos),
                       stream.begin() + static_cast<std::ptrdiff_t>(pos + n)));
            pos += n;
        }
        EXPECT_LE(link.Buffer().Fill(), 400);
        link.Buffer().Clear();
    }
    for (int i = 0; i < list.Count(); ++i) {
        const TTelEntry& e = *list.At(i);
        if (e.Data[0] == 0)
            continue;
        // Fixed-length services; an End after a counted service leaves its count unwritten.
        const TTrx5LengthRule rule = Trx5LengthRule(e.Data[1]);
        const int length = rule.Base;
        if (rule.CountPos == 0 && length >= 3) {
            EXPECT_EQ(Trx5BccOf(EntryBytes(e, static_cast<std::size_t>(length - 1))),
                      e.Data[static_cast<std::size_t>(length - 1)])
                << "entry " << i;
        }
    }
    EXPECT_GT(list.Count(), 1000);
}
