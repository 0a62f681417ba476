#include "capture/capture_control.h"
#include "capture/serial_com.h"
#include "capture_test_support.h"
#include "pty_pair.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sys/ioctl.h>

using namespace protmon;
using namespace protmon::test;

namespace {

constexpr const char* kMissing = "/dev/protmon-no-such-device";

// Whether the device's exclusive mark is set, seen through a descriptor of our own.
bool ExclusiveMark(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int mark = -1;
    if (fd >= 0) {
        ::ioctl(fd, TIOCGEXCL, &mark);
        ::close(fd);
    }
    return mark == 1;
}

} // namespace

TEST(SerialCom, OpenResultsAndReuse) {
    TPtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TSerialCom port;
    EXPECT_EQ(port.Open(kMissing, 38400, 8, 'E', 0), kPortOpenFailed);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Close(), kPortNotOpen);
    int count = -1;
    std::uint8_t buf[8];
    EXPECT_EQ(port.Read(buf, 8, count), kPortNotOpen);
    EXPECT_EQ(port.Write(buf, 1), kPortNotOpen);
    EXPECT_EQ(port.SetRts(), kPortNotOpen);
    EXPECT_EQ(port.TakeError(), kRxNone);
    // Still usable after the failure; every framing the capture modes use is accepted.
    for (char parity : {'E', 'O', 'N', 'M', 'S'}) {
        for (int bits : {7, 8}) {
            ASSERT_EQ(port.Open(pty.SlavePath(), 38400, bits, parity, 0), kPortOk);
            EXPECT_EQ(port.Open(pty.SlavePath(), 38400, bits, parity, 0), kPortBusy);
            EXPECT_EQ(port.SetRts(), kPortOk); // a pty has no modem lines: not an error
            EXPECT_EQ(port.ClearRts(), kPortOk);
            EXPECT_EQ(port.ClearDtr(), kPortOk);
            EXPECT_EQ(port.Close(), kPortOk);
        }
    }
    EXPECT_EQ(port.Open(pty.SlavePath(), 12345, 8, 'E', 0), kPortOpenFailed); // no such rate
    EXPECT_FALSE(port.IsOpen());
}

// Every framing leaves error bytes unchanged (no INPCK: n_tty would turn them into 0x00) and sets
// exactly the character format asked for.
TEST(SerialCom, CaptureTermiosPerFraming) {
    struct Case {
        int bits;
        char parity;
        int stop;
        tcflag_t cflags; // of CSIZE, PARENB, PARODD, CMSPAR, CSTOPB
    };
    const Case cases[] = {
        {8, 'E', 0, CS8 | PARENB},
        {7, 'E', 0, CS7 | PARENB},
        {8, 'O', 0, CS8 | PARENB | PARODD},
        {7, 'N', 2, CS7 | CSTOPB},
        {8, 'M', 0, CS8 | PARENB | CMSPAR | PARODD},
        {8, 'S', 0, CS8 | PARENB | CMSPAR},
    };
    constexpr tcflag_t kFormat = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    constexpr tcflag_t kReplacing = INPCK | IGNPAR | PARMRK | ISTRIP | IGNBRK | BRKINT;
    for (const Case& c : cases) {
        termios t{};
        t.c_iflag = kReplacing | ICRNL | IXON;
        t.c_cflag = CS5 | CSTOPB | PARENB | PARODD | CRTSCTS;
        ASSERT_TRUE(SetCaptureTermios(t, 38400, c.bits, c.parity, c.stop)) << c.parity;
        EXPECT_EQ(t.c_iflag, 0u) << c.bits << c.parity;
        EXPECT_EQ(t.c_cflag & kFormat, c.cflags) << c.bits << c.parity;
        EXPECT_EQ(t.c_cflag & (CRTSCTS | CLOCAL | CREAD), CLOCAL | CREAD);
        EXPECT_EQ(cfgetispeed(&t), B38400);
        EXPECT_EQ(t.c_cc[VMIN], 0);
    }
    termios t{};
    EXPECT_FALSE(SetCaptureTermios(t, 12345, 8, 'E', 0));

    // What the opened device really has.
    TPtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TSerialCom port;
    ASSERT_EQ(port.Open(pty.SlavePath(), 9600, 7, 'E', 0), kPortOk);
    const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        GTEST_SKIP() << "needs root to look past the exclusive mark";
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ::close(fd);
    EXPECT_EQ(t.c_iflag & kReplacing, 0u);
}

// A second opener (root is not kept out by TIOCEXCL) is refused, and the first capture keeps
// every byte; the exclusive mark is dropped at Close only by the one who set it.
TEST(SerialCom, SecondOpenerIsRefusedAndTheFirstKeepsEverything) {
    TPtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TSerialCom first;
    TSerialCom second;
    ASSERT_EQ(first.Open(pty.SlavePath(), 38400, 8, 'E', 0), kPortOk);
    EXPECT_EQ(second.Open(pty.SlavePath(), 38400, 8, 'E', 0), kPortBusy);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.Close(), kPortNotOpen);
    Bytes sent(2000);
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<std::uint8_t>(i * 7);
    pty.Write(sent);
    Bytes got;
    std::uint8_t buf[512];
    PollUntil(
        [&] {
            int n = 0;
            first.Read(buf, sizeof buf, n);
            got.insert(got.end(), buf, buf + n);
        },
        [&] { return got.size() >= sent.size(); });
    EXPECT_EQ(got, sent);
    EXPECT_TRUE(ExclusiveMark(pty.SlavePath()));
    EXPECT_EQ(first.Close(), kPortOk);
    EXPECT_FALSE(ExclusiveMark(pty.SlavePath()));
    ASSERT_EQ(second.Open(pty.SlavePath(), 38400, 8, 'E', 0), kPortOk);
    EXPECT_EQ(second.Close(), kPortOk);

    // A mark another program set stays when we close.
    const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::ioctl(other, TIOCEXCL), 0);
    if (second.Open(pty.SlavePath(), 38400, 8, 'E', 0) == kPortOk) { // root only
        EXPECT_EQ(second.Close(), kPortOk);
        EXPECT_TRUE(ExclusiveMark(pty.SlavePath()));
    }
    ::ioctl(other, TIOCNXCL);
    ::close(other);
}

// Reading, waiting and Purge are the port devices' shared contract (port_device_contract_test).
TEST(SerialCom, WriteIsCut) {
    TPtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TSerialCom port;
    ASSERT_EQ(port.Open(pty.SlavePath(), 115200, 8, 'N', 0), kPortOk);
    std::vector<std::uint8_t> out(600);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(port.Write(out.data(), 600), 511);
    const auto got = pty.Read(600, std::chrono::milliseconds(500));
    EXPECT_EQ(got, std::vector<std::uint8_t>(out.begin(), out.begin() + 511));
}

TEST(SerialCom, TransmitterEmptyEventDrivesCommandSender) {
    TPtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TSerialCom port;
    TCaptureLink link(port);
    TCaptureSettings settings;
    settings.PortText = pty.SlavePath();
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    const std::vector<std::uint8_t> cmd = {0x10, 0x41, 0x00, 0xFF, 0x00,
                                           0x00, 0x00, 0x05, 0x01, 0xAA};
    EXPECT_EQ(link.SendCommand(cmd.data(), 10, 1, 0), 1);
    EXPECT_EQ(pty.Read(10), cmd);
    EXPECT_TRUE(PollUntil([] {}, [&] { return !link.CommandPending(); }));
    EXPECT_EQ(link.CloseCapturePort(), kPortOk);
}

TEST(SerialCom, EventHandlerAfterWrite) {
    TPtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TSerialCom port;
    ASSERT_EQ(port.Open(pty.SlavePath(), 9600, 8, 'E', 0), kPortOk);
    std::atomic<int> events{0};
    ASSERT_EQ(port.SetEventHandler(kEvTxEmpty, [&](std::uint32_t m) { events += m == kEvTxEmpty; }),
              kPortOk);
    const std::uint8_t b = 0x55;
    port.Write(&b, 1);
    EXPECT_TRUE(PollUntil([] {}, [&] { return events.load() == 1; }));
    // Closing ends both threads even with a handler installed; the destructor closes too.
    EXPECT_EQ(port.Close(), kPortOk);
    ASSERT_EQ(port.Open(pty.SlavePath(), 9600, 8, 'E', 0), kPortOk);
}

class PtyCaptureTest : public ::testing::Test {
protected:
    PtyCaptureTest() : link(port), control(list, link, settings, host) {
        settings.PortText = pty.SlavePath();
        control.SetObserver(&view);
    }

    // Ticks until `count` entries were recorded.
    bool TickUntil(int count) {
        return PollUntil([&] { control.PollTick(); }, [&] { return list.Count() >= count; });
    }

    TPtyPair pty;
    TSerialCom port;
    TTelegramList list;
    TCaptureLink link;
    TCaptureSettings settings;
    TRecordingHost host;
    TRecordingObserver view;
    TCaptureControl control;
};

TEST_F(PtyCaptureTest, TelegramsWrittenToTheLineAreRecorded) {
    ASSERT_TRUE(pty.Ok());
    ASSERT_TRUE(control.StartCapture());
    const Bytes stream = {0x10, 0x00, 0x20, 0x00, 0x01, 0x31, 0x10, 0x01, 0x16,
                          0x0F, 0x01, 0x09, 0x02, 0x02, 0x16, 0x0F, 0x19, 0x02,
                          0x40, 0x16, 0x0F, 0x01, 0x23, 0x45, 0x67, 0xFF, 0xA4};
    // Split inside a telegram: the tail arrives on a later tick.
    pty.Write(Bytes(stream.begin(), stream.begin() + 14));
    ASSERT_TRUE(TickUntil(2));
    pty.Write(Bytes(stream.begin() + 14, stream.end()));
    ASSERT_TRUE(TickUntil(4));
    control.StartStopClick(false);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(EntryBytes(*list.At(3), 10), Bytes(stream.begin() + 17, stream.end()));
    EXPECT_GT(view.liveDisplays, 0);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(PtyCaptureTest, StartOnMissingDevice) {
    settings.PortText = kMissing;
    control.StartStopClick(true);
    EXPECT_EQ(host.errors, std::vector<std::string>{kTextPortNotAvailable});
    EXPECT_EQ(host.details, std::vector<std::string>{std::string(kMissing) + ": no such device."});
    EXPECT_EQ(control.RunningMode(), kStopped);
    EXPECT_FALSE(view.buttonDown);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(PtyCaptureTest, StartOnPortHeldByAnotherCapture) {
    ASSERT_TRUE(pty.Ok());
    TSerialCom holder;
    ASSERT_EQ(holder.Open(pty.SlavePath(), 38400, 8, 'E', 0), kPortOk);
    control.StartStopClick(true);
    EXPECT_EQ(host.errors, std::vector<std::string>{kTextPortNotAvailable});
    EXPECT_EQ(host.details,
              std::vector<std::string>{pty.SlavePath() + " is busy: another program holds it."});
    EXPECT_EQ(control.RunningMode(), kStopped);
    EXPECT_TRUE(holder.IsOpen());
}

TEST_F(PtyCaptureTest, LineClosedWhileCapturing) {
    ASSERT_TRUE(pty.Ok());
    ASSERT_TRUE(control.StartCapture());
    pty.Write(Concat({Telegram({0x01, 0x10}), Telegram({0x02, 0x10})}));
    ASSERT_TRUE(TickUntil(2));
    pty.CloseMaster();
    EXPECT_TRUE(PollUntil([&] { control.PollTick(); }, [&] { return !control.Running(); }));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(host.errors, std::vector<std::string>{kTextPortNotAvailable});
    EXPECT_EQ(host.details, std::vector<std::string>{pty.SlavePath() +
                                                     ": the device went away during the capture."});
    EXPECT_FALSE(view.buttonDown);
    EXPECT_FALSE(port.IsOpen());
}
