// The line monitor simulator on a pseudo-terminal: a serial host link whose rate the box follows.

#include "capture/trx5_length.h"
#include "support/lmsim_process.h"
#include "support/temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace protmon::testing;

namespace {

std::vector<std::string> PtyArgs(std::vector<std::string> more) {
    more.insert(more.begin(), "--pty");
    return more;
}

// Whether the stream, once in step within its first 64 bytes, is whole TRX5 telegrams with good
// block checks up to its last 64 bytes (where a telegram may be cut off).
bool CutsIntoGoodTelegrams(const Bytes& s) {
    for (std::size_t from = 0; from < 64 && from < s.size(); ++from) {
        std::size_t pos = from;
        for (;;) {
            const protmon::ByteView rest(s.data() + pos, s.size() - pos);
            const int length = protmon::Trx5TelegramLength(rest);
            if (length < 3 || !rest.has(0, static_cast<std::size_t>(length)) ||
                protmon::Trx5Bcc(rest, static_cast<std::size_t>(length) - 1) !=
                    rest.at(static_cast<std::size_t>(length) - 1))
                break;
            pos += static_cast<std::size_t>(length);
        }
        if (pos + 64 >= s.size())
            return true;
    }
    return false;
}

// The value of one "name N" line of the simulator's counter file (-1 if missing).
long StatsValue(const std::string& file, const std::string& name) {
    std::ifstream in(file);
    std::string key;
    std::string value;
    while (in >> key >> value) {
        if (key == name)
            return std::stol(value);
    }
    return -1;
}

} // namespace

TEST(LmsimPty, PrintsAnOpenablePath) {
    LmsimProcess box(kLmsim, PtyArgs({}));
    ASSERT_EQ(box.FirstLine().rfind("/dev/pts/", 0), 0u) << box.FirstLine();
    PtyPeer peer(box.FirstLine(), 38400);
    ASSERT_TRUE(peer.Open());
    EXPECT_EQ(peer.Command(255, 0), 0);
}

TEST(LmsimPty, AnswersOnlyAtItsLinkRate) {
    LmsimProcess box(kLmsim, PtyArgs({"--link-baud", "9600"}));
    PtyPeer peer(box.FirstLine(), 38400);
    EXPECT_FALSE(peer.Command(255, 0, 150));
    peer.SetBaud(9600);
    EXPECT_EQ(peer.Command(255, 0), 0);
}

// The monitor finds the box at 9600 and switches it to its own 38400 with command 1, value 5.
TEST(LmsimPty, LinkBaudSwitchByCommandOne) {
    LmsimProcess box(kLmsim, PtyArgs({"--link-baud", "9600"}));
    PtyPeer peer(box.FirstLine(), 9600);
    EXPECT_EQ(peer.Command(1, 5), 0) << "the reply still comes at the old rate";
    EXPECT_FALSE(peer.Command(255, 0, 150));
    peer.SetBaud(38400);
    EXPECT_EQ(peer.Command(255, 0), 0);
    EXPECT_NE(peer.Command(1, 8), 0) << "an empty rate index is refused";
}

TEST(LmsimPty, SurvivesThePeerReopeningThePort) {
    LmsimProcess box(kLmsim, PtyArgs({}));
    {
        PtyPeer first(box.FirstLine(), 38400);
        EXPECT_EQ(first.Command(255, 0), 0);
    }
    PtyPeer second(box.FirstLine(), 38400);
    EXPECT_EQ(second.Command(255, 0), 0);
}

TEST(LmsimPty, RefusedAndSilent) {
    LmsimProcess refusing(kLmsim, PtyArgs({"--refuse", "16"}));
    PtyPeer a(refusing.FirstLine(), 38400);
    EXPECT_NE(a.Command(16, 1), 0);
    LmsimProcess silent(kLmsim, PtyArgs({"--silent"}));
    PtyPeer b(silent.FirstLine(), 38400);
    EXPECT_FALSE(b.Command(255, 0, 150));
}

TEST(LmsimPty, StreamsFramesAndStopsWhenTold) {
    LmsimProcess box(kLmsim, PtyArgs({"--count", "50", "--bad-bcc-permille", "0"}));
    PtyPeer peer(box.FirstLine(), 38400);
    ASSERT_EQ(peer.Command(16, 1), 0);
    // Read the frames one at a time: header first, then the rest it announces.
    std::vector<DataFrame> frames;
    for (int i = 0; i < 50; ++i) {
        Bytes frame = peer.Read(4, 1000);
        ASSERT_EQ(frame.size(), 4u) << "frame " << i;
        const Bytes rest = peer.Read(frame[3] - 1u, 1000);
        frame.insert(frame.end(), rest.begin(), rest.end());
        ASSERT_TRUE(SplitFrames(frame, frames)) << "frame " << i;
    }
    for (const DataFrame& f : frames)
        EXPECT_TRUE(BccOk(f.telegram));
    EXPECT_TRUE(peer.Read(1, 150).empty()) << "nothing after the count";
    EXPECT_EQ(peer.Command(16, 0), 0);
}

TEST(LmsimPty, NoFramesReachAPeerAtTheWrongRate) {
    LmsimProcess box(kLmsim, PtyArgs({"--rate", "1000"}));
    PtyPeer peer(box.FirstLine(), 38400);
    ASSERT_EQ(peer.Command(16, 1), 0);
    EXPECT_FALSE(peer.Read(7, 1000).empty());
    // Frames stand unread in the pty when the rate changes, and the box goes on queuing more.
    ASSERT_TRUE(peer.WaitUnread(1024, 5000));
    peer.SetBaud(19200);
    EXPECT_TRUE(peer.Read(1, 150).empty());
}

// A plain bus: at its own rate the peer gets the drive line's bytes unchanged; at another rate
// its UART makes garbage of them and counts the errors.
TEST(LmsimPtyBus, UnchangedAtTheBusRateGarbageAndErrorsAtAnother) {
    const protmon::test::TTempDir dir;
    const std::string stats = dir.File("stats");
    LmsimProcess bus(kLmsim, {"--pty", "--bus", "--protocol", "trx5", "--bus-baud", "38400",
                              "--bus-framing", "8E1", "--bad-bcc-permille", "0", "--stats", stats});
    PtyPeer peer(bus.FirstLine(), 38400);
    const Bytes matched = peer.Read(1500, 5000);
    ASSERT_EQ(matched.size(), 1500u);
    EXPECT_TRUE(CutsIntoGoodTelegrams(matched));
    EXPECT_EQ(StatsValue(stats, "frame") + StatsValue(stats, "parity"), 0);

    peer.SetBaud(19200);
    const Bytes garbled = peer.Read(400, 5000);
    ASSERT_EQ(garbled.size(), 400u);
    EXPECT_FALSE(CutsIntoGoodTelegrams(garbled));
    // The counters follow within a tenth of a second or so.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (StatsValue(stats, "frame") + StatsValue(stats, "parity") <= 0 &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(StatsValue(stats, "frame") + StatsValue(stats, "parity"), 0);
}
