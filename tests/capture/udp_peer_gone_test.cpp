// The line monitor behind UDP goes away mid-capture and comes back on the same port.
#include "capture/capture_control.h"
#include "capture/line_monitor.h"
#include "capture/udp_source.h"
#include "capture_test_support.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace protmon;
using namespace protmon::test;

namespace {

// A loopback socket bound to `port` (0: the system chooses).
int BoundSocket(int port, int& boundPort) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        return -1;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    boundPort = ntohs(a.sin_port);
    return fd;
}

void SendTo(int fd, int port, const Bytes& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

Bytes NextFrame(TUdpSource& udp) {
    Bytes out(300);
    int count = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (count == 0 && std::chrono::steady_clock::now() < end) {
        udp.Read(out.data(), static_cast<int>(out.size()), count);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    out.resize(static_cast<std::size_t>(count));
    return out;
}

const Bytes kFrame1 = {0x1B, 0x40, 0x1B, 7, 0, 0, 1, 0x01, 0x10, 0x11};
const Bytes kFrame2 = {0x1B, 0x40, 0x1B, 7, 1, 0, 2, 0x02, 0x10, 0x12};

} // namespace

TEST(UdpFaults, PeerGoneThenBackOnTheSamePort) {
    int port = 0;
    int box = BoundSocket(0, port);
    ASSERT_GE(box, 0);
    TTelegramList list;
    TUdpSource udp({"127.0.0.1", port});
    TCaptureSettings settings;
    TCaptureLink link(udp);
    TRecordingHost host;
    TCaptureControl control(list, link, settings, host);
    ConnectUdpSource(control, udp);
    TLineMonitor monitor(control, host);
    monitor.SetReplyPollStep(std::chrono::milliseconds(5));
    ASSERT_EQ(udp.ActivateListener(), kPortOk);
    SendTo(box, udp.LocalPort(), kFrame1);
    EXPECT_EQ(NextFrame(udp), kFrame1);

    // The box is gone: commands reach nobody (the system may answer with "port unreachable"),
    // an exchange ends as unanswered, and nothing is lost or crashes.
    ::close(box);
    const std::uint8_t stop[] = {0x1B, 0x40, 0x1B, kLmRun, 0};
    for (int i = 0; i < 3; ++i)
        EXPECT_GE(udp.Write(stop, 5), 0);
    EXPECT_EQ(monitor.LineMonitorCommand(kLmRun, 0), kPortNoAnswer);

    // Back on the same port: its frames arrive again, the listener survived the errors.
    int again = 0;
    box = BoundSocket(port, again);
    ASSERT_GE(box, 0);
    ASSERT_EQ(again, port);
    SendTo(box, udp.LocalPort(), kFrame2);
    EXPECT_EQ(NextFrame(udp), kFrame2);
    ::close(box);
}
