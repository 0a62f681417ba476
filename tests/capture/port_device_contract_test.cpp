// What the port layer relies on from every byte source behind it, run against each: the serial
// port on a pty, the memory device and the UDP source. Device-specific behaviour stays in the
// device's own tests.
#include "capture/memory_port_device.h"
#include "capture/serial_com.h"
#include "capture/udp_source.h"
#include "pty_pair.h"
#include "udp_box.h"

#include <gtest/gtest.h>

using namespace protmon;
using namespace protmon::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

// One whole line-monitor frame: the UDP source hands out frames only, the others any bytes.
const Bytes kFrame = {0x1B, 0x40, 0x1B, 0x07, 0x00, 0x00, 0x01, 0x01, 0x10, 0x11};

struct TSerialOnPty {
    TPtyPair pty;
    TSlaveProbe probe{pty}; // opened before the port takes the line
    TSerialCom device;
    bool Start() {
        return probe.Ok() && device.Open(pty.SlavePath(), 115200, 8, 'N', 0) == kPortOk;
    }
    // True once the bytes are at the device.
    bool Arrive(const Bytes& bytes) {
        pty.Write(bytes);
        return probe.WaitUnread(static_cast<int>(bytes.size()));
    }
};

struct TMemory {
    TMemoryPortDevice device;
    bool Start() { return device.Open("memory", 115200, 8, 'N', 0) == kPortOk; }
    bool Arrive(const Bytes& bytes) {
        device.Feed(bytes);
        return true;
    }
};

struct TUdp {
    TUdpBox box;
    TUdpSource device{TUdpArgument{"127.0.0.1", box.Port()}};
    bool Start() { return device.ActivateListener() == kPortOk; }
    bool Arrive(const Bytes& bytes) {
        const std::uint64_t before = device.DatagramsReceived();
        box.SendTo(device.LocalPort(), bytes);
        return PollUntil([] {}, [&] { return device.DatagramsReceived() > before; });
    }
};

template <class TRig>
class PortDeviceContract : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.Start()); }
    // Reads until `size` bytes came or about two seconds passed.
    Bytes ReadUpTo(std::size_t size) {
        Bytes in;
        PollUntil(
            [&] {
                std::uint8_t buf[300];
                int n = 0;
                rig.device.Read(buf, sizeof buf, n);
                in.insert(in.end(), buf, buf + n);
            },
            [&] { return in.size() >= size; });
        return in;
    }
    TRig rig;
};

using Devices = ::testing::Types<TSerialOnPty, TMemory, TUdp>;
TYPED_TEST_SUITE(PortDeviceContract, Devices);

TYPED_TEST(PortDeviceContract, ReadNeverWaits) {
    std::uint8_t buf[600];
    int count = -1;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(this->rig.device.Read(buf, sizeof buf, count), kPortOk);
    EXPECT_EQ(count, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
    EXPECT_EQ(this->rig.device.TakeError(), kRxNone); // a pty has no error counters
}

TYPED_TEST(PortDeviceContract, WhatArrivedIsReadInOrder) {
    ASSERT_TRUE(this->rig.Arrive(kFrame));
    EXPECT_EQ(this->ReadUpTo(kFrame.size()), kFrame);
}

TYPED_TEST(PortDeviceContract, PurgeDiscardsWhatArrived) {
    ASSERT_TRUE(this->rig.Arrive(kFrame));
    this->rig.device.Purge();
    std::uint8_t buf[300];
    int count = -1;
    EXPECT_EQ(this->rig.device.Read(buf, sizeof buf, count), kPortOk);
    EXPECT_EQ(count, 0);
}

} // namespace
