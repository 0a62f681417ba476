#include "capture/capture_control.h"
#include "capture/line_monitor.h"
#include "capture/udp_source.h"
#include "capture_test_support.h"
#include "pty_pair.h"
#include "udp_box.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace protmon;
using namespace protmon::test;

namespace {

Bytes Frame(std::uint8_t channel, std::uint16_t stamp, const Bytes& telegram) {
    return Concat({{0x1B, 0x40, 0x1B, static_cast<std::uint8_t>(telegram.size() + 4), channel,
                    static_cast<std::uint8_t>(stamp >> 8), static_cast<std::uint8_t>(stamp)},
                   telegram});
}

// Reads slots until one arrives or `wait` passed.
Bytes NextFrame(TUdpSource& udp, std::chrono::milliseconds wait = std::chrono::seconds(2)) {
    Bytes out(300);
    int count = 0;
    const auto end = std::chrono::steady_clock::now() + wait;
    while (count == 0 && std::chrono::steady_clock::now() < end) {
        udp.Read(out.data(), static_cast<int>(out.size()), count);
        if (count == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    out.resize(static_cast<std::size_t>(count));
    return out;
}

} // namespace

TEST(UdpArgument, HostAndPort) {
    struct Case {
        const char* text;
        const char* host;
        int port;
        bool understood;
    } const cases[] = {
        {"box.local:5000", "box.local", 5000, true},
        {"box.local", "box.local", 0, true},
        {"10.0.0.7:", "10.0.0.7", 0, false},
        {"h:50x", "h", 0, false},
        {"h:1:2", "h", 0, false},
        {":7", "", 7, true},
    };
    for (const Case& c : cases) {
        const TUdpArgument a = ParseUdpArgument(c.text);
        EXPECT_EQ(a.Host, c.host) << c.text;
        EXPECT_EQ(a.Port, c.port) << c.text;
        EXPECT_EQ(a.PortUnderstood, c.understood) << c.text;
    }
}

TEST(UdpRing, DatagramIsCutIntoFrames) {
    TUdpSource udp({"127.0.0.1", 1});
    const Bytes a = Frame(0, 1, Bytes(5, 0x11)); // 12 bytes
    const Bytes b = Frame(1, 2, Bytes(5, 0x22));
    const Bytes big = Frame(1, 3, Bytes(200, 0x33)); // far beyond 63 bytes
    udp.MyUdpReadEvent(ByteView(Concat({a, b, big}).data(), a.size() * 2 + big.size()));
    EXPECT_EQ(udp.FramesWaiting(), 3);
    Bytes out(300);
    int count = 0;
    for (const Bytes* f : {&a, &b, &big}) {
        udp.Read(out.data(), 300, count);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + count), *f);
    }
    // A frame shorter than its length byte says is kept as far as it goes.
    const Bytes cut(a.begin(), a.end() - 3);
    udp.MyUdpReadEvent(ByteView(cut.data(), cut.size()));
    udp.Read(out.data(), 300, count);
    EXPECT_EQ(count, static_cast<int>(cut.size()));
    udp.Read(out.data(), 300, count);
    EXPECT_EQ(count, 0);
}

// A datagram from the box that is not whole frames (and replies) is counted, not just lost at
// the frame reader.
TEST(UdpRing, DatagramsWithNothingUsableAreCounted) {
    const Bytes f = Frame(0, 1, Bytes(5, 0x11));
    const Bytes reply = {0x1B, 0x40, 0x1B, 0x00};
    Bytes lying = f;
    lying[3] = 200; // announces far more than the datagram holds
    struct Case {
        const char* what;
        Bytes datagram;
        bool bad;
    };
    const Case cases[] = {
        {"a frame", f, false},
        {"two frames", Concat({f, f}), false},
        {"a reply", reply, false},
        {"one byte", {0x1B}, true},
        {"three bytes", {0x1B, 0x40, 0x1B}, true},
        {"a lying length", lying, true},
        {"a length below a header", {0x1B, 0x40, 0x1B, 0x02, 0x00, 0x00}, true},
        {"random bytes", {0x12, 0x9A, 0x00, 0xFF, 0x33, 0x41, 0x07, 0x80}, true},
        {"a frame and a tail", Concat({f, {0x1B, 0x40}}), true},
    };
    for (const Case& c : cases) {
        TUdpSource udp({"127.0.0.1", 1});
        udp.MyUdpReadEvent(ByteView(c.datagram.data(), c.datagram.size()));
        EXPECT_EQ(udp.DropCounts().BadDatagrams, c.bad ? 1u : 0u) << c.what;
    }
}

TEST(UdpRing, FullRingDropsTheRestAndCountsOneErrorPerDatagram) {
    TUdpSource udp({"127.0.0.1", 1});
    int errors = 0;
    udp.SetReceiveErrorHandler([&] { ++errors; });
    const Bytes f = Frame(0, 1, {0x01, 0x10, 0x11});
    for (int i = 0; i < TUdpSource::kRingSlots - 2; ++i)
        udp.MyUdpReadEvent(ByteView(f.data(), f.size()));
    const Bytes two = Concat({f, f});
    udp.MyUdpReadEvent(ByteView(two.data(), two.size())); // the second frame does not fit
    EXPECT_EQ(udp.FramesWaiting(), TUdpSource::kRingSlots - 1);
    EXPECT_EQ(errors, 1);
    udp.MyUdpReadEvent(ByteView(f.data(), f.size()));
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(udp.ReceiveErrors(), 2);
}

TEST(UdpSource, FramesArriveFromTheConfiguredHostOnly) {
    TUdpBox box;
    TUdpBox stranger("127.0.0.2");
    TUdpBox otherPort; // same host, another program
    TUdpSource udp({"127.0.0.1", box.Port()});
    ASSERT_EQ(udp.ActivateListener(), kPortOk);
    ASSERT_GT(udp.LocalPort(), 0);
    const Bytes f1 = Frame(0, 1, {0x01, 0x10, 0x11});
    const Bytes f2 = Frame(1, 2, {0x02, 0x10, 0x12});
    stranger.SendTo(udp.LocalPort(), f1);
    otherPort.SendTo(udp.LocalPort(), f2);
    box.SendTo(udp.LocalPort(), Concat({f1, f2}));
    // A last frame from the box: the others had arrived before it, so nothing of theirs follows.
    const Bytes last = Frame(0, 3, {0x03, 0x10, 0x13});
    box.SendTo(udp.LocalPort(), last);
    EXPECT_EQ(NextFrame(udp), f1);
    EXPECT_EQ(NextFrame(udp), f2);
    EXPECT_EQ(NextFrame(udp), last);
    // Only the box's datagrams tell that the box is there.
    EXPECT_EQ(udp.DatagramsReceived(), 2u);

    // A command goes out as one datagram from the listener's socket.
    const std::uint8_t command[] = {0x1B, 0x40, 0x1B, 0xFF, 0x00};
    EXPECT_EQ(udp.Write(command, 5), 5);
    EXPECT_EQ(box.Receive(), Bytes(command, command + 5));
}

// Every frame of a datagram is handed out, also beyond what the ring holds at once; a datagram
// longer than the receive buffer gives what arrived and one receive error.
TEST(UdpSource, EveryFrameOfALargeDatagram) {
    struct Case {
        int frames;
        int maxDatagram;
        int expected;
        int errors;
    };
    const Case cases[] = {
        {1000, TUdpSource::kMaxDatagram, 1000, 0}, // 10,000 bytes
        {3000, TUdpSource::kMaxDatagram, 3000, 0}, // three ring fills
        {15, 100, 10, 1},                          // cut after ten frames
    };
    for (const Case& c : cases) {
        TUdpBox box;
        TUdpSource udp({"127.0.0.1", box.Port()}, c.maxDatagram);
        ASSERT_EQ(udp.ActivateListener(), kPortOk);
        Bytes datagram;
        for (int i = 0; i < c.frames; ++i) {
            const Bytes f = Frame(0, static_cast<std::uint16_t>(i), {0x01, 0x10, 0x11});
            datagram.insert(datagram.end(), f.begin(), f.end());
        }
        box.SendTo(udp.LocalPort(), datagram);
        // A frame on another channel in a datagram of its own ends what the first one gave.
        const Bytes last = Frame(1, 0, {0x02, 0x10, 0x12});
        box.SendTo(udp.LocalPort(), last);
        int got = 0;
        for (Bytes f = NextFrame(udp); !f.empty() && f != last; f = NextFrame(udp)) {
            ASSERT_EQ(f, Frame(0, static_cast<std::uint16_t>(got), {0x01, 0x10, 0x11})) << got;
            ++got;
        }
        EXPECT_EQ(got, c.expected) << c.frames;
        EXPECT_EQ(udp.ReceiveErrors(), c.errors) << c.frames;
        EXPECT_EQ(udp.DropCounts().TruncatedDatagrams, static_cast<std::uint64_t>(c.errors));
    }
}

// While stopped nobody reads: more datagrams than the queue holds arrive, then Start. Only what
// comes after it is handed out, and none of the old ones counts as an error.
TEST(UdpSource, NothingFromBeforeAStartAppearsAfterIt) {
    TUdpBox box;
    TUdpSource udp({"127.0.0.1", box.Port()});
    ASSERT_EQ(udp.ActivateListener(), kPortOk);
    const Bytes old = Frame(0, 1, {0x01, 0x10, 0x11});
    const std::size_t sent = TUdpSource::kQueueDatagrams + 200;
    for (std::size_t i = 0; i < sent; ++i)
        box.SendTo(udp.LocalPort(), old);
    // The listener took every one off the socket: it stopped waiting for a reader who never came.
    ASSERT_TRUE(PollUntil([] {}, [&] { return udp.DatagramsReceived() == sent; }));
    ASSERT_EQ(udp.ActivateListener(), kPortOk);
    const Bytes fresh = Frame(1, 2, {0x02, 0x10, 0x12});
    box.SendTo(udp.LocalPort(), fresh);
    const Bytes last = Frame(1, 3, {0x03, 0x10, 0x13});
    box.SendTo(udp.LocalPort(), last);
    EXPECT_EQ(NextFrame(udp), fresh);
    EXPECT_EQ(NextFrame(udp), last);
    EXPECT_EQ(udp.ReceiveErrors(), 0);
}

TEST(UdpSource, UnknownHostIsReportedAtStart) {
    TTelegramList list;
    TUdpSource udp({"no-such-host.invalid", 5000});
    TCaptureSettings settings;
    TCaptureLink link(udp);
    TRecordingHost host;
    TCaptureControl control(list, link, settings, host);
    ConnectUdpSource(control, udp);
    EXPECT_FALSE(control.StartCapture());
    EXPECT_EQ(host.errors, std::vector<std::string>{"Unable to activate the line monitor :\n"
                                                    "Host name \"no-such-host.invalid\" cannot "
                                                    "be resolved."});
    EXPECT_FALSE(control.Running());
}
