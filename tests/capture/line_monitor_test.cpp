#include "capture/capture_assemblers.h"
#include "capture/capture_control.h"
#include "capture/line_monitor.h"
#include "capture/memory_port_device.h"
#include "capture_test_support.h"
#include "model/line_monitor_settings.h"

#include <gtest/gtest.h>
#include <set>

using namespace protmon;
using namespace protmon::test;

namespace {

using Command = std::pair<int, int>;

Bytes Frame(std::uint8_t channel, std::uint16_t stamp, const Bytes& telegram) {
    return Concat({{0x1B, 0x40, 0x1B, static_cast<std::uint8_t>(telegram.size() + 4), channel,
                    static_cast<std::uint8_t>(stamp >> 8), static_cast<std::uint8_t>(stamp)},
                   telegram});
}

// A line monitor box on the memory device: collects command bytes, answers each whole command
// at once (only while the port runs at its link rate), switches its link rate by command 1.
class TStandInBox {
public:
    explicit TStandInBox(TMemoryPortDevice& device) : device_(device) {
        device_.SetWriteObserver([this](ByteView written) {
            for (std::size_t i = 0; i < written.size(); ++i)
                Take(written.at(i));
        });
    }

    std::vector<Command> commands;
    std::set<int> refused;
    bool silent = false;
    int linkRate = 38400;
    Bytes before; // stray bytes sent ahead of every reply
    std::string version = "LM-TEST 1.2";

private:
    void Take(std::uint8_t b) {
        pending_.push_back(b);
        if (pending_.size() < 5)
            return;
        const Command c{pending_[3], pending_[4]};
        pending_.clear();
        if (silent || device_.Baud() != linkRate)
            return;
        commands.push_back(c);
        std::uint8_t status = refused.count(c.first) != 0 ? 1 : 0;
        if (c.first >= kLmVersionFirst && c.first <= kLmVersionLast)
            status = static_cast<std::uint8_t>(version[static_cast<std::size_t>(c.first - 0x30)]);
        device_.Feed(Concat({before, {0x1B, 0x40, 0x1B, status}}));
        if (c.first == kLmLinkBaud && status == 0)
            linkRate = LineMonitorLinkRate(c.second);
    }

    TMemoryPortDevice& device_;
    Bytes pending_;
};

class LineMonitorTest : public ::testing::Test {
protected:
    LineMonitorTest() : link(device), control(list, link, settings, host), lm(control, host) {
        settings.PortText = "/dev/memory0";
        control.SetObserver(&view);
        control.SetMonitorBox(true);
        lm.Connect();
        lm.SetReplyPollStep(std::chrono::milliseconds(1));
    }

    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link;
    TCaptureSettings settings;
    TRecordingHost host;
    TRecordingObserver view;
    TCaptureControl control;
    TLineMonitor lm;
    TStandInBox box{device};
};

const std::vector<Command> kDefaultSequence = {{255, 0}, {16, 0}, {2, 5},  {3, 8},
                                               {4, 0},   {5, 2},  {6, 13}, {16, 1}};

} // namespace

TEST_F(LineMonitorTest, StartConfiguresTheBoxInOrder) {
    ASSERT_TRUE(control.StartCapture());
    EXPECT_EQ(box.commands, kDefaultSequence);
    EXPECT_EQ(settings.TimeStampResolution, 128);
    EXPECT_EQ(settings.SourceFlags, kSourceLineMonitor);

    // Stop switches the box back to normal operation.
    box.commands.clear();
    control.StopCapture();
    EXPECT_EQ(box.commands, (std::vector<Command>{{16, 0}}));
}

TEST_F(LineMonitorTest, ConfigurationValuesFollowTheSettings) {
    struct Case {
        const char* name;
        void (*edit)(TLineMonitorSettings&);
        std::vector<Command> tail; // the commands after presence check and stop
    };
    const Case cases[] = {
        {"DIN66019II preset at 9,6 KBaud",
         [](TLineMonitorSettings& s) {
             s.BaudIndex = 3;
             SelectLineMonitorProtocol(s, 1);
         },
         {{2, 3}, {3, 7}, {4, 0}, {5, 2}, {6, 52}, {16, 2}}},
        {"odd parity, 8192 us, single channel, gap text",
         [](TLineMonitorSettings& s) {
             s.Parity = ParityChoice::Odd;
             s.TimeStampIndex = 4;
             s.HandshakeMode = Handshake::SoftwareSingleChannel;
             s.EndOfTelegramText = " 999 ";
         },
         {{2, 5}, {3, 8}, {4, 1}, {5, 4}, {6, 9}, {16, 4}}},
        {"no parity, full duplex, a gap beyond one byte is the longest gap",
         [](TLineMonitorSettings& s) {
             s.Parity = ParityChoice::None;
             s.HandshakeMode = Handshake::SoftwareFullDuplex;
             s.EndOfTelegramText = "100000";
         },
         {{2, 5}, {3, 8}, {4, 2}, {5, 2}, {6, 255}, {16, 3}}},
        {"a gap text that is no number gives the default",
         [](TLineMonitorSettings& s) {
             s.BaudIndex = 13;
             s.EndOfTelegramText = "fast";
         },
         {{2, 13}, {3, 8}, {4, 0}, {5, 2}, {6, 0}, {16, 1}}},
    };
    for (const Case& c : cases) {
        settings.LineMonitor = TLineMonitorSettings{};
        c.edit(settings.LineMonitor);
        box.commands.clear();
        ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
        EXPECT_EQ(lm.ConfigureLineMonitor(), kPortOk) << c.name;
        std::vector<Command> expected = {{255, 0}, {16, 0}};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(box.commands, expected) << c.name;
    }
}

TEST_F(LineMonitorTest, StartFailuresNameTheCause) {
    struct Case {
        bool silent;
        int refuse;
        const char* text;
    };
    const Case cases[] = {
        {false, 4, "Unable to activate the line monitor :\nUnsupported monitor command."},
        {true, -1, "Unable to activate the line monitor :\nNo answer from monitor hardware."},
    };
    for (const Case& c : cases) {
        host.errors.clear();
        box.silent = c.silent;
        box.refused = {c.refuse};
        box.commands.clear();
        EXPECT_FALSE(control.StartCapture());
        EXPECT_EQ(host.errors, std::vector<std::string>{c.text});
        EXPECT_FALSE(control.Running());
        EXPECT_FALSE(device.IsOpen());
        EXPECT_FALSE(view.buttonDown);
    }
}

TEST_F(LineMonitorTest, RefusedCommandEndsTheSequence) {
    box.refused = {3};
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    EXPECT_EQ(lm.ConfigureLineMonitor(), kPortRefused);
    EXPECT_EQ(box.commands, (std::vector<Command>{{255, 0}, {16, 0}, {2, 5}, {3, 8}}));
}

TEST_F(LineMonitorTest, StopRetriesUntilAccepted) {
    ASSERT_TRUE(control.StartCapture());
    box.silent = true;
    control.StopCapture();
    // Seven attempts, none answered; then the port is closed all the same.
    EXPECT_EQ(std::count(device.Sent().end() - 35, device.Sent().end(), 0x1B), 14);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(LineMonitorTest, ReplyBehindStrayBytesIsFoundAndRemovedWithThem) {
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    box.before = {0x00, 0x1B, 0x40, 0x77};
    EXPECT_EQ(lm.LineMonitorCommand(2, 5), kPortOk);
    EXPECT_EQ(link.Buffer().Fill(), 0);
    box.refused = {2};
    EXPECT_EQ(lm.LineMonitorCommand(2, 5), kPortRefused);
}

TEST_F(LineMonitorTest, CommandRunsWithRunningModeZeroAndRestoresIt) {
    ASSERT_TRUE(control.StartCapture());
    int seen = -1;
    TRecordingHost modeHost;
    TLineMonitor probe(control, modeHost);
    probe.SetReplyPollStep(std::chrono::milliseconds(1));
    modeHost.onPendingEvents = [&] { seen = control.RunningMode(); };
    EXPECT_EQ(probe.LineMonitorCommand(255, 0), kPortOk);
    EXPECT_EQ(seen, kStopped);
    EXPECT_EQ(control.RunningMode(), kRunTrx5);
}

TEST_F(LineMonitorTest, LinkBaudIsSynchronised) {
    // Link at 9600, baud box at 38400: found at index 3, switched by command 1 with value 5.
    box.linkRate = 9600;
    settings.BaudIndex = 5;
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    const int opensBefore = device.OpenCount();
    lm.SyncLineMonitorBaud();
    EXPECT_EQ(box.commands, (std::vector<Command>{{255, 0}, {1, 5}}));
    EXPECT_EQ(box.linkRate, 38400);
    EXPECT_EQ(device.Baud(), 38400);
    // 1200, 2400, 4800, 9600, then 38400 again.
    EXPECT_EQ(device.OpenCount() - opensBefore, 5);
}

TEST_F(LineMonitorTest, VersionInfoShowsElevenCharacters) {
    lm.LineMonitorInfo();
    EXPECT_EQ(host.infos, std::vector<std::string>{"Line monitor version :\nLM-TEST 1.2"});
    // Each query carries the previous answer character.
    ASSERT_GE(box.commands.size(), 11u);
    const std::vector<Command> queries(box.commands.end() - 11, box.commands.end());
    EXPECT_EQ(queries.front(), (Command{0x30, 0}));
    EXPECT_EQ(queries[1], (Command{0x31, 'L'}));
    EXPECT_EQ(queries.back(), (Command{0x3A, '.'}));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(host.busyCalls, (std::vector<bool>{true, false}));

    box.silent = true;
    lm.LineMonitorInfo();
    EXPECT_EQ(host.errors,
              std::vector<std::string>{
                  "Unable to get line monitor version :\nNo answer from monitor hardware."});
    device.SetFailOpen(true);
    lm.LineMonitorInfo();
    EXPECT_EQ(host.errors.back(), "Serial interface not available");
}

class LineMonitorFrames : public LineMonitorTest {
protected:
    void SetUp() override { ASSERT_TRUE(control.StartCapture()); }
    void Tick(const Bytes& bytes) {
        device.Feed(bytes);
        control.PollTick();
    }
    const Bytes t1 = Telegram({0x10, 0x00, 0x20, 0x00, 0x01});
    const Bytes t2 = Telegram({0x01, 0x10});
};

TEST_F(LineMonitorFrames, FramesCarryChannelAndTimeStamp) {
    Tick(Concat({Frame(0, 0x1234, t1), Frame(1, 0xFFFE, t2)}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(EntryBytes(*list.At(0), t1.size()), t1);
    EXPECT_EQ(list.At(0)->Channel, 0);
    EXPECT_EQ(list.At(0)->TimeStamp, 0x1234);
    EXPECT_EQ(EntryBytes(*list.At(1), t2.size()), t2);
    EXPECT_EQ(list.At(1)->Channel, 1);
    EXPECT_EQ(list.At(1)->TimeStamp, 0xFFFE);
}

TEST_F(LineMonitorFrames, FrameSplitOverReadsIsCompletedAcrossTicks) {
    const Bytes f = Frame(1, 7, t1);
    for (std::size_t cut : {1u, 3u, 6u, 7u, 9u}) {
        list.Clear();
        Tick(Bytes(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(cut)));
        EXPECT_EQ(list.Count(), 0) << cut;
        Tick(Bytes(f.begin() + static_cast<std::ptrdiff_t>(cut), f.end()));
        ASSERT_EQ(list.Count(), 1) << cut;
        EXPECT_EQ(EntryBytes(*list.At(0), t1.size()), t1) << cut;
    }
}

TEST_F(LineMonitorFrames, GarbageAndShortLengthBytesAreSkipped) {
    const Bytes garbage = {0x00, 0x1B, 0x1B, 0x40, 0x55, 0x1B, 0x40, 0x1C};
    const Bytes shortFrame = {0x1B, 0x40, 0x1B, 0x03, 0x00, 0x00, 0x00};
    Tick(Concat({garbage, Frame(0, 1, t1), garbage, shortFrame, Frame(1, 2, t2), garbage}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0)->TimeStamp, 1);
    EXPECT_EQ(list.At(1)->TimeStamp, 2);
    Tick(Frame(0, 3, t1)); // the garbage tail does not hide the next frame
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(2)->TimeStamp, 3);
}

TEST_F(LineMonitorFrames, BadTelegramsInFramesBecomeStatusEntries) {
    Bytes bad = t1;
    bad.back() ^= 0xFF;
    const Bytes unknownService = Telegram({0x01, 0x0D, 0x00});
    Tick(Concat({Frame(0, 1, bad), Frame(1, 2, unknownService)}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(EntryBytes(*list.At(0), 3), (Bytes{0, kStatusBcc, 6}));
    EXPECT_EQ(EntryBytes(*list.At(1), 3), (Bytes{0, kStatusIllegalFrame, 4}));
    EXPECT_EQ(list.At(1)->Channel, 1);
}

TEST_F(LineMonitorFrames, OverrunReportStopsTheCapture) {
    box.commands.clear();
    Tick(Concat({Frame(0, 1, t1), Frame(0x81, 0, {}), Frame(0, 2, t1)}));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_FALSE(control.Running());
    EXPECT_EQ(host.infos,
              std::vector<std::string>{"Line monitor stopped because of receive buffer overrun !"});
    // Frames still streaming ahead of the reply may take a retry; every command is a stop.
    ASSERT_FALSE(box.commands.empty());
    for (const Command& c : box.commands)
        EXPECT_EQ(c, (Command{16, 0}));
    EXPECT_FALSE(view.buttonDown);
}

TEST(LineMonitorSettings, EndOfTelegramDefaultPerBaudItem) {
    const std::int32_t expected[kLineMonitorBaudItems] = {
        41667, 20833, 10417, 5208, 2604, 1302, 901, 25000, 500, 25000, 400, 200, 100, 50};
    for (int i = 0; i < kLineMonitorBaudItems; ++i)
        EXPECT_EQ(DefaultEndOfTelegramTime(i), expected[i]) << kLineMonitorBaudTexts[i];
    EXPECT_EQ(DefaultEndOfTelegramTime(-1), 25000);
}

TEST(LineMonitorSettings, DialogReactions) {
    TLineMonitorSettings s;
    FillEndOfTelegramDefault(s);
    EXPECT_EQ(s.EndOfTelegramText, "1302");
    s.EndOfTelegramText = "777";
    FillEndOfTelegramDefault(s); // a value the user typed stays
    EXPECT_EQ(s.EndOfTelegramText, "777");
    SelectLineMonitorBaud(s, 3);
    EXPECT_EQ(s.EndOfTelegramText, "5208");
    SelectLineMonitorProtocol(s, 1);
    EXPECT_EQ(s.HandshakeMode, Handshake::SoftwareHalfDuplex);
    EXPECT_EQ(s.DataBits, 7);
    s.Parity = ParityChoice::Odd;
    s.EndOfTelegramText = "1";
    SelectLineMonitorProtocol(s, 0); // TRX5 leaves the gap alone
    EXPECT_EQ(s.HandshakeMode, Handshake::HardwareFullDuplex);
    EXPECT_EQ(s.DataBits, 8);
    EXPECT_EQ(s.Parity, ParityChoice::Even);
    EXPECT_EQ(s.EndOfTelegramText, "1");
    EXPECT_EQ(EndOfTelegramCommandValue(-5), 0);
    EXPECT_EQ(EndOfTelegramCommandValue(25599), 255);
}

// Garbage ending in "1B 40" before a marker fakes a 67-byte frame on channel 27 whose telegram
// starts like a DIN acknowledge; the real frames it covers are still found behind that.
TEST_F(LineMonitorTest, DinFramesCoveredByAFakedFrameAreRecorded) {
    TCaptureAssemblers assemblers(control, host);
    settings.Selection = Protocol::Din66019II;
    ASSERT_TRUE(control.StartCapture());
    auto request = [](char address) {
        const std::string s = {'W', address, 0x05};
        const std::uint8_t check = static_cast<std::uint8_t>(s[0] ^ s[1] ^ s[2]);
        return Bytes{static_cast<std::uint8_t>(s[0]), static_cast<std::uint8_t>(s[1]), 0x05,
                     static_cast<std::uint8_t>(check < 0x20 ? check + 0x20 : check)};
    };
    Bytes stream = Frame(0, 1, {0x31, 0x06});
    stream = Concat({stream, {0x1B, 0x1B, 0x40, 0x1B, 0x40, 0x1B, 0x14, 0x90, 0x06}});
    for (char a = '1'; a <= '7'; ++a)
        stream = Concat({stream, Frame(1, static_cast<std::uint16_t>(a), request(a))});
    device.Feed(stream);
    control.PollTick();
    std::string addresses;
    for (int i = 0; i < list.Count(); ++i) {
        const TTelEntry& e = *list.At(i);
        if (e.Data[1] == 0x10 && e.Channel == 1)
            addresses += static_cast<char>('0' + e.Data[0] / 16);
    }
    EXPECT_EQ(addresses, "1234567");
}

// As above, but the faked frame's telegram starts with garbage that is no DIN frame start (a
// frame's time-stamp bytes, then STX): only that garbage is dropped, up to the next marker, so
// every real frame behind it is recorded once.
TEST_F(LineMonitorTest, DinFramesBehindGarbageInAFakedFrameAreRecorded) {
    TCaptureAssemblers assemblers(control, host);
    settings.Selection = Protocol::Din66019II;
    ASSERT_TRUE(control.StartCapture());
    auto request = [](char address) {
        const std::string s = {'W', address, 0x05};
        const std::uint8_t check = static_cast<std::uint8_t>(s[0] ^ s[1] ^ s[2]);
        return Bytes{static_cast<std::uint8_t>(s[0]), static_cast<std::uint8_t>(s[1]), 0x05,
                     static_cast<std::uint8_t>(check < 0x20 ? check + 0x20 : check)};
    };
    // STX "U18C000000" ETX and its check character 0x3C: a read response of service 14.
    const std::string good = "\x02U18C000000\x03\x3C";
    Bytes stream = Frame(0, 1, Bytes(good.begin(), good.end()));
    stream = Concat({stream, {0x1B, 0x1B, 0x40, 0x1B, 0x40, 0x1B, 0x14, 0x90, 0x00, 0x07, 0x02}});
    for (char a = '1'; a <= '7'; ++a)
        stream = Concat({stream, Frame(1, static_cast<std::uint16_t>(a), request(a))});
    device.Feed(stream);
    control.PollTick();
    ASSERT_EQ(list.Count(), 9);
    EXPECT_EQ(EntryBytes(*list.At(0), 2), (Bytes{0x10, 0x8E}));
    EXPECT_EQ(EntryBytes(*list.At(1), 6), (Bytes{0, kStatusIllegalFrame, 3, 0x00, 0x07, 0x02}));
    EXPECT_EQ(list.At(1)->Channel, 27);
    EXPECT_EQ(list.At(1)->TimeStamp, 0x1490);
    std::string addresses;
    for (int i = 2; i < list.Count(); ++i) {
        const TTelEntry& e = *list.At(i);
        EXPECT_EQ(e.Channel, 1);
        EXPECT_EQ(e.Data[1], 0x10);
        addresses += static_cast<char>('0' + e.Data[0] / 16);
    }
    EXPECT_EQ(addresses, "1234567");
}
