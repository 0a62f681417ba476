// The device command exchanges on a virtual clock: the reply waits and the guard time keep their
// real lengths, read from the time the exchanges slept instead of a stopwatch.
#include "capture/capture_control.h"
#include "capture/clock.h"
#include "capture/line_monitor.h"
#include "capture/memory_port_device.h"
#include "capture/operator_monitor.h"
#include "capture_test_support.h"

#include <gtest/gtest.h>

using namespace protmon;
using namespace protmon::test;
using namespace std::chrono_literals;

namespace {

class CommandClockTest : public ::testing::Test {
protected:
    CommandClockTest() {
        link.SetClock(clock);
        settings.PortText = "memory";
        // Answers every whole command (5 bytes to the box, 10 to the operator) unless silent.
        device.SetWriteObserver([this](ByteView) {
            if (!silent && device.Sent().size() == commandLength)
                device.Feed(reply);
        });
    }

    // The guard is waited out in steps of 100 us, so it may run over by less than one step.
    void ExpectSlept(int polls, std::chrono::milliseconds step, int guardTicks) {
        const auto expected = polls * step + guardTicks * TCaptureLink::kGuardTick;
        EXPECT_GE(clock.Elapsed(), expected);
        EXPECT_LT(clock.Elapsed(), expected + 100us);
        EXPECT_TRUE(device.Rts());
    }

    TMemoryPortDevice device;
    TCaptureLink link{device};
    TVirtualClock clock;
    TCaptureSettings settings;
    TTelegramList list;
    TSilentHost host;
    TCaptureControl control{list, link, settings, host};
    bool silent = false;
    std::size_t commandLength = 5;
    Bytes reply;
};

} // namespace

TEST_F(CommandClockTest, LineMonitorReplyWaitAndGuardKeepTheirLengths) {
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    TLineMonitor monitor(control, host);
    reply = {0x00, 0x1B, 0x40, 0x1B, 0x00};
    EXPECT_EQ(monitor.LineMonitorCommand(kLmPresence, 0), kPortOk);
    ExpectSlept(1, TLineMonitor::kReplyPollStep, 1);

    const auto before = clock.Elapsed();
    silent = true;
    device.ClearSent();
    EXPECT_EQ(monitor.LineMonitorCommand(kLmPresence, 0), kPortNoAnswer);
    EXPECT_GE(clock.Elapsed() - before, TLineMonitor::kReplyPolls * TLineMonitor::kReplyPollStep);
    EXPECT_LT(clock.Elapsed() - before, TLineMonitor::kReplyPolls * TLineMonitor::kReplyPollStep +
                                            2 * TCaptureLink::kGuardTick);
}

TEST_F(CommandClockTest, OperatorGivesUpAfterTenPollsWithTheLongGuard) {
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    TOperatorMonitor op(link);
    silent = true;
    EXPECT_EQ(op.OperatorMonitorCommand(1), kPortNoAnswer);
    ExpectSlept(TOperatorMonitor::kPolls, TOperatorMonitor::kPollInterval,
                1 + TOperatorMonitor::kExtraGuardTicks);
}

TEST_F(CommandClockTest, OperatorAnswerEndsTheWaitAtTheFirstPoll) {
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    TOperatorMonitor op(link);
    commandLength = TOperatorMonitor::kCommandLength;
    reply = {0x10, 0xC1, 0x00, 0xD1};
    EXPECT_EQ(op.OperatorMonitorCommand(1), kPortOk);
    ExpectSlept(1, TOperatorMonitor::kPollInterval, 1 + TOperatorMonitor::kExtraGuardTicks);
}
