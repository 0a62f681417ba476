// The line monitor simulator over loopback UDP, spoken to directly as the monitor's host link.

#include "capture/trx5_length.h"
#include "support/lmsim_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace protmon::testing;

namespace {

struct Box {
    explicit Box(std::vector<std::string> args)
        : process(kLmsim, WithUdp(std::move(args))), peer(process.Port()) {}
    static std::vector<std::string> WithUdp(std::vector<std::string> args) {
        args.insert(args.begin(), {"--udp", "0"});
        return args;
    }
    LmsimProcess process;
    UdpPeer peer;
};

// Collects data frames until count frames arrived or nothing came for timeoutMs.
std::vector<DataFrame> CollectFrames(UdpPeer& peer, std::size_t count, int timeoutMs = 1000) {
    std::vector<DataFrame> frames;
    while (frames.size() < count) {
        const std::optional<Bytes> d = peer.Receive(timeoutMs);
        if (!d)
            break;
        EXPECT_TRUE(SplitFrames(*d, frames)) << "datagram holds no whole frames";
    }
    return frames;
}

std::vector<DataFrame> StartAndCollect(Box& box, std::size_t count) {
    EXPECT_EQ(box.peer.Command(16, 1), 0);
    return CollectFrames(box.peer, count);
}

} // namespace

TEST(LmsimUdp, ConfigurationCommandsAcceptValidValuesOnly) {
    Box box({});
    ASSERT_GT(box.process.Port(), 0);
    struct Case {
        std::uint8_t code, value;
        bool accepted;
    };
    const Case cases[] = {
        {255, 0, true}, {1, 9, true},   {1, 0, true},  {1, 6, false},  {1, 12, false},
        {16, 0, true},  {16, 5, false}, {2, 13, true}, {2, 7, false},  {2, 14, false},
        {3, 8, true},   {3, 7, true},   {3, 6, false}, {4, 2, true},   {4, 3, false},
        {5, 4, true},   {5, 5, false},  {6, 13, true}, {6, 255, true}, {7, 0, false},
    };
    for (const Case& c : cases) {
        const std::optional<std::uint8_t> status = box.peer.Command(c.code, c.value);
        ASSERT_TRUE(status.has_value()) << int(c.code) << "," << int(c.value);
        EXPECT_EQ(*status == 0, c.accepted) << int(c.code) << "," << int(c.value);
    }
}

TEST(LmsimUdp, ReplyFoundBehindStrayBytesAndSplitCommands) {
    Box box({});
    box.peer.Send({0x00, 0x1B, 0x55, 0x1B, 0x40});
    EXPECT_FALSE(box.peer.Receive(100));
    box.peer.Send({0x1B, 0xFF, 0x00});
    const std::optional<Bytes> reply = box.peer.Receive(500);
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, (Bytes{0x1B, 0x40, 0x1B, 0x00}));
}

TEST(LmsimUdp, RefusedCommandAndRefusedVersionQuery) {
    Box box({"--refuse", "5", "--refuse", "0x32"});
    EXPECT_NE(box.peer.Command(5, 2), 0);
    EXPECT_EQ(box.peer.Command(4, 0), 0);
    EXPECT_EQ(box.peer.Command(0x31, 0), 'M');
    // A query has no refusal status: it goes unanswered.
    EXPECT_FALSE(box.peer.Command(0x32, 'M', 200));
}

TEST(LmsimUdp, SilentBoxNeverAnswersNorStreams) {
    Box box({"--silent"});
    EXPECT_FALSE(box.peer.Command(255, 0, 200));
    box.peer.Send(HostCommand(16, 1));
    EXPECT_FALSE(box.peer.Receive(200));
}

TEST(LmsimUdp, VersionTextOneCharacterPerQuery) {
    Box box({"--version-text", "LM-TEST 2.3"});
    std::string text;
    std::uint8_t previous = 0;
    for (std::uint8_t code = 0x30; code <= 0x3A; ++code) {
        const std::optional<std::uint8_t> c = box.peer.Command(code, previous);
        ASSERT_TRUE(c);
        text += static_cast<char>(*c);
        previous = *c;
    }
    EXPECT_EQ(text, "LM-TEST 2.3");
}

TEST(LmsimUdp, StreamsCountFramesWithValidStructure) {
    Box box({"--count", "300", "--bad-bcc-permille", "0"});
    const std::vector<DataFrame> frames = StartAndCollect(box, 300);
    ASSERT_EQ(frames.size(), 300u);
    EXPECT_FALSE(box.peer.Receive(150)) << "a frame beyond the count";
    std::uint16_t lastStamp = 0;
    for (const DataFrame& f : frames) {
        ASSERT_GE(f.telegram.size(), 3u);
        EXPECT_TRUE(BccOk(f.telegram));
        const bool response = (f.telegram[1] & 0x80) != 0;
        EXPECT_EQ(f.channel, response ? 1 : 0) << "requests on A, answers on B";
        EXPECT_GE(f.stamp, lastStamp);
        lastStamp = f.stamp;
    }
    EXPECT_GT(lastStamp, 0);
}

TEST(LmsimUdp, SingleChannelHandshakeUsesChannelA) {
    Box box({"--count", "40"});
    EXPECT_EQ(box.peer.Command(16, 4), 0);
    for (const DataFrame& f : CollectFrames(box.peer, 40))
        EXPECT_EQ(f.channel, 0);
}

TEST(LmsimUdp, StampsFollowTheConfiguredResolution) {
    auto stamps = [](std::uint8_t resolutionIndex) {
        Box box({"--count", "100", "--seed", "3"});
        EXPECT_EQ(box.peer.Command(5, resolutionIndex), 0);
        std::vector<std::uint16_t> out;
        for (const DataFrame& f : StartAndCollect(box, 100))
            out.push_back(f.stamp);
        return out;
    };
    const std::vector<std::uint16_t> fine = stamps(2);   // 128 us
    const std::vector<std::uint16_t> coarse = stamps(3); // 1024 us
    ASSERT_EQ(fine.size(), 100u);
    ASSERT_EQ(coarse.size(), 100u);
    for (std::size_t i = 0; i < fine.size(); ++i)
        EXPECT_EQ(fine[i] / 8, coarse[i]) << i;
}

TEST(LmsimUdp, StopCommandEndsStreamingAndStartResumes) {
    Box box({"--rate", "2000"});
    EXPECT_EQ(box.peer.Command(16, 1), 0);
    EXPECT_FALSE(CollectFrames(box.peer, 10).empty());
    box.peer.Send(HostCommand(16, 0));
    bool replied = false;
    while (std::optional<Bytes> d = box.peer.Receive(1000)) {
        if (*d == Bytes{0x1B, 0x40, 0x1B, 0x00}) {
            replied = true;
            break;
        }
    }
    ASSERT_TRUE(replied);
    EXPECT_FALSE(box.peer.Receive(150)) << "a frame after the stop reply";
    EXPECT_EQ(box.peer.Command(16, 1), 0);
    EXPECT_EQ(CollectFrames(box.peer, 5).size(), 5u);
}

TEST(LmsimUdp, OverrunReportAfterNFramesEndsTheRun) {
    Box box({"--overrun-after", "10"});
    const std::vector<DataFrame> frames = StartAndCollect(box, 11);
    ASSERT_EQ(frames.size(), 11u);
    EXPECT_FALSE(box.peer.Receive(150)) << "the box stops monitoring after the report";
    EXPECT_EQ(frames.back().channel, 0x81);
    EXPECT_TRUE(frames.back().telegram.empty());
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_LT(frames[i].channel, 2);
}

TEST(LmsimUdp, SeedMakesTrafficReproducible) {
    auto run = [](const char* seed) {
        Box box({"--count", "50", "--seed", seed});
        Bytes all;
        for (const DataFrame& f : StartAndCollect(box, 50))
            all.insert(all.end(), f.telegram.begin(), f.telegram.end());
        return all;
    };
    const Bytes a = run("7");
    EXPECT_EQ(a, run("7"));
    EXPECT_NE(a, run("8"));
}

TEST(LmsimUdp, GeneratedTrafficLooksLikeALiveDriveLine) {
    Box box({"--count", "3000", "--frames-per-datagram", "16"});
    const std::vector<DataFrame> frames = StartAndCollect(box, 3000);
    ASSERT_EQ(frames.size(), 3000u);
    std::set<int> services;
    int badBcc = 0, errorAnswers = 0, variable = 0, unanswered = 0;
    const DataFrame* request = nullptr;
    for (const DataFrame& f : frames) {
        const Bytes& t = f.telegram;
        services.insert(t[1] & 0x3F);
        badBcc += BccOk(t) ? 0 : 1;
        EXPECT_EQ(protmon::Trx5TelegramLength(protmon::ByteView(t.data(), t.size())),
                  static_cast<int>(t.size()))
            << "service byte " << int(t[1]);
        const int service = t[1] & 0x3F;
        if ((service == 6 || service == 9 || service == 11 || service == 12) && t.size() > 4)
            ++variable;
        if ((t[1] & 0xC0) == 0xC0 && t.size() == 4 && t[2] != 0) {
            ++errorAnswers;
            EXPECT_LE(t[2], 14) << "drive error codes run from 1 to 14";
        }
        if (f.channel == 1) {
            // Every answer follows the request it answers: same drive, same service.
            ASSERT_NE(request, nullptr);
            EXPECT_EQ(request->telegram[0], t[0]);
            EXPECT_EQ(request->telegram[1] & 0x3F, service);
            request = nullptr;
        } else {
            unanswered += request != nullptr ? 1 : 0;
            request = &f;
        }
    }
    EXPECT_GE(services.size(), 20u);
    EXPECT_GT(badBcc, 0);
    EXPECT_LT(badBcc, 100);
    EXPECT_GT(errorAnswers, 0);
    EXPECT_GT(variable, 20);
    EXPECT_LT(unanswered, 100);
}

TEST(LmsimUdp, ParameterAddressesComeFromTheGivenFile) {
    const protmon::test::TTempDir dir;
    const std::string path =
        dir.Write("addresses.txt", "# sample set\n0x1234\n 300\n\n0x0FA0 # comment\n");
    Box box({"--count", "400", "--param-addresses", path});
    int reads = 0;
    for (const DataFrame& f : StartAndCollect(box, 400)) {
        if (f.telegram[1] != 0x00 && f.telegram[1] != 0x01)
            continue;
        const int address = (f.telegram[2] << 8) | f.telegram[3];
        EXPECT_TRUE(address == 0x1234 || address == 300 || address == 0x0FA0) << address;
        ++reads;
    }
    EXPECT_GT(reads, 10);
}

TEST(LmsimUdp, BusBytesAreCutByTheLengthRuleAndReplayedAtEachStart) {
    const protmon::test::TTempDir dir;
    const Bytes bus = {0x10, 0x00, 0x20, 0x00, 0x01, 0x31, 0x10, 0x01,
                       0x16, 0x0F, 0x01, 0x09, 0xFF, 0xFF, 0xFF, // line noise between telegrams
                       0x02, 0x02, 0x16, 0x0F, 0x19, 0x02, 0x40, 0x16,
                       0x0F, 0x01, 0x23, 0x45, 0x67, 0xFF, 0xA4};
    const std::string path = dir.Write("bus.bin", bus);
    Box box({"--bus-bytes", path});
    for (int run = 0; run < 2; ++run) {
        const std::vector<DataFrame> frames = StartAndCollect(box, 5);
        ASSERT_EQ(frames.size(), 5u);
        EXPECT_FALSE(box.peer.Receive(150)) << "the file is played once per start";
        const std::size_t sizes[] = {6, 6, 3, 5, 10};
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(frames[i].telegram.size(), sizes[i]) << i;
        EXPECT_EQ(frames[2].telegram, (Bytes{0xFF, 0xFF, 0xFF}));
        EXPECT_EQ(box.peer.Command(16, 0), 0);
    }
}

TEST(LmsimUdp, SeveralFramesInOneDatagram) {
    Box box({"--count", "12", "--frames-per-datagram", "4"});
    EXPECT_EQ(box.peer.Command(16, 1), 0);
    for (int i = 0; i < 3; ++i) {
        const std::optional<Bytes> d = box.peer.Receive(500);
        ASSERT_TRUE(d);
        std::vector<DataFrame> frames;
        EXPECT_TRUE(SplitFrames(*d, frames));
        EXPECT_EQ(frames.size(), 4u);
    }
}

TEST(LmsimUdp, RateSpreadsFramesOverTime) {
    Box box({"--count", "20", "--rate", "100"});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(StartAndCollect(box, 20).size(), 20u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
}

TEST(LmsimUdp, EndsCleanlyOnTerminate) {
    Box box({});
    EXPECT_EQ(box.peer.Command(255, 0), 0);
    EXPECT_EQ(box.process.Stop(), 0);
}

namespace {

std::uint8_t DinCheck(Bytes::const_iterator first, Bytes::const_iterator last) {
    std::uint8_t bcc = 0;
    for (auto it = first; it != last; ++it)
        bcc ^= *it;
    return bcc < 0x20 ? static_cast<std::uint8_t>(bcc + 0x20) : bcc;
}

// Which frame form of the ASCII protocol the characters are, or "" if none.
std::string DinForm(const Bytes& t) {
    const std::size_t n = t.size();
    if (n == 3 && t[0] == 0x04)
        return "select";
    if (n >= 2 && t[n - 2] == 0x03 && t[0] == 0x02)
        return DinCheck(t.begin() + 1, t.end() - 1) == t.back() ? "block" : "";
    if (n == 5 && t[4] == 0x05)
        return "short request";
    if (n >= 4 && t[n - 2] == 0x05 && t[0] > 'F')
        return DinCheck(t.begin(), t.end() - 1) == t.back() ? "request" : "";
    if (n == 2 && t[1] == 0x06)
        return "ack";
    if (n == 3 && (t[2] == 0x15 || t[2] == 0x04))
        return "nak or end";
    return "";
}

} // namespace

TEST(LmsimUdp, SevenDataBitsGiveAsciiProtocolTraffic) {
    Box box({"--count", "400", "--bad-bcc-permille", "0"});
    EXPECT_EQ(box.peer.Command(3, 7), 0);
    std::map<std::string, int> forms;
    for (const DataFrame& f : StartAndCollect(box, 400)) {
        for (std::uint8_t c : f.telegram)
            EXPECT_LT(c, 0x80);
        const std::string form = DinForm(f.telegram);
        EXPECT_FALSE(form.empty()) << std::string(f.telegram.begin(), f.telegram.end());
        ++forms[form];
    }
    for (const char* form : {"select", "block", "short request", "request", "ack", "nak or end"})
        EXPECT_GT(forms[form], 0) << form;
}

// With the plant's line given, the box forwards telegrams unchanged only at the plant's rate,
// data bits and parity; out of tune its UART flags every character (odd parity on an even
// line) or makes garbage of them (another rate).
TEST(LmsimUdp, BoxForwardsThePlantOnlyWhenTunedToIt) {
    Box box({"--protocol", "trx5", "--bus-baud", "19200", "--bus-framing", "8E1",
             "--bad-bcc-permille", "0", "--count", "100"});
    struct Case {
        std::uint8_t baudIndex, dataBits, parity;
        enum { AllGood, Nothing, Garbage } expect;
    };
    const Case cases[] = {
        {4, 8, 0, Case::AllGood}, {4, 8, 1, Case::Nothing}, {5, 8, 0, Case::Garbage}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << int(c.baudIndex) << " " << int(c.dataBits) << " " << int(c.parity));
        ASSERT_EQ(box.peer.Command(2, c.baudIndex), 0);
        ASSERT_EQ(box.peer.Command(3, c.dataBits), 0);
        ASSERT_EQ(box.peer.Command(4, c.parity), 0);
        ASSERT_EQ(box.peer.Command(16, 1), 0);
        // 100 telegrams cross the line; the box forwards what it makes of them.
        const std::vector<DataFrame> frames = CollectFrames(box.peer, 100, 300);
        ASSERT_EQ(box.peer.Command(16, 0), 0);
        const auto good = std::count_if(frames.begin(), frames.end(),
                                        [](const DataFrame& f) { return BccOk(f.telegram); });
        switch (c.expect) {
        case Case::AllGood:
            EXPECT_EQ(frames.size(), 100u);
            EXPECT_EQ(good, 100);
            break;
        case Case::Nothing:
            EXPECT_TRUE(frames.empty());
            break;
        case Case::Garbage:
            EXPECT_FALSE(frames.empty());
            EXPECT_LT(good * 2, static_cast<long>(frames.size()));
            break;
        }
    }
}
