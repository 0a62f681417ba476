#include "capture/capture_control.h"
#include "capture/memory_port_device.h"
#include "capture/operator_monitor.h"
#include "capture_test_support.h"

#include <gtest/gtest.h>

using namespace protmon;
using namespace protmon::test;

namespace {

// A stand-in operator on the memory device: once the whole command has been written it queues
// `answer` (if any).
class OperatorFixture : public ::testing::Test {
protected:
    OperatorFixture() : link(device), op(link) {
        settings.PortText = "memory";
        op.SetSleeper([this](std::chrono::milliseconds d) {
            ++polls;
            EXPECT_EQ(d.count(), 50);
        });
        device.SetWriteObserver([this](ByteView) {
            if (device.Sent().size() % TOperatorMonitor::kCommandLength == 0) {
                commands.emplace_back(device.Sent().end() - 10, device.Sent().end());
                if (answerCount-- > 0)
                    device.Feed(answer);
            }
        });
    }

    TMemoryPortDevice device;
    TCaptureLink link;
    TCaptureSettings settings;
    TOperatorMonitor op;
    Bytes answer;
    int answerCount = 1 << 20;
    int polls = 0;
    std::vector<Bytes> commands;
};

} // namespace

TEST(OperatorCommand, Bytes) {
    const auto c = TOperatorMonitor::MonitorCommandBytes(kSourceComm | kSourcePdIn);
    EXPECT_EQ(Bytes(c.begin(), c.end()),
              (Bytes{0x10, 0x41, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x05, 0x01, 0xAA}));
    const auto off = TOperatorMonitor::MonitorCommandBytes(0);
    EXPECT_EQ(off[7], 0);
    EXPECT_EQ(off[9], 0x10 ^ 0x41 ^ 0xFF ^ 0x01);
}

TEST(OperatorCommand, AnswerFoundAtItsFirstCompletePosition) {
    const struct {
        Bytes bytes;
        int at;
    } cases[] = {
        {{0x10, 0xC1, 0x00, 0x07}, 0},
        {{0x10, 0xC1, 0x00}, -1},            // the fourth byte is still missing
        {{0x10, 0x10, 0xC1, 0x00, 0x07}, 1}, // an address byte right before the answer
        {{0x55, 0x10, 0xC1, 0x01, 0x10, 0xC1, 0x00, 0x00}, 4},
        {{0x55, 0x55, 0x10, 0xC1, 0x00}, -1}, // the answer would run past the end
        {{0x10, 0xC1, 0x00, 0x10, 0xC1, 0x00, 0x01}, 0},
        {{}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            TOperatorMonitor::FindOperatorAnswer(c.bytes.data(), static_cast<int>(c.bytes.size())),
            c.at)
            << ::testing::PrintToString(c.bytes);
}

TEST_F(OperatorFixture, AnswerBehindOtherBytesIsFoundAndRemoved) {
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    answer = {0x55, 0x10, 0xC1, 0x01, 0x10, 0xC1, 0x00, 0xD1, 0x77, 0x78};
    EXPECT_EQ(op.OperatorMonitorCommand(5), kPortOk);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].back(), 0xAA);
    EXPECT_EQ(polls, 1);
    // Everything through the answer is gone; what followed it stays for the capture.
    EXPECT_EQ(Bytes(link.Buffer().Data(), link.Buffer().Data() + link.Buffer().Fill()),
              (Bytes{0x77, 0x78}));
    EXPECT_TRUE(device.Rts()); // the line was released after the guard time
}

TEST_F(OperatorFixture, AnswerWithoutItsLastByteIsNotYetAnAnswer) {
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    answer = {0x10, 0xC1, 0x00};
    EXPECT_EQ(op.OperatorMonitorCommand(1), kPortNoAnswer);
    EXPECT_EQ(polls, TOperatorMonitor::kPolls);
}

TEST_F(OperatorFixture, NothingSentOnAClosedPort) {
    EXPECT_EQ(op.OperatorMonitorCommand(1), kPortNoAnswer);
    EXPECT_EQ(polls, 0);
}

TEST_F(OperatorFixture, StartFailureReportedAndStopRetriedSilently) {
    TTelegramList list;
    TRecordingHost host;
    TCaptureControl control(list, link, settings, host);
    control.SetOperator(&op);
    control.SetOperatorBox(kSourceComm, true);
    control.SetOperatorBox(kSourcePdIn, true);

    answerCount = 0;
    EXPECT_FALSE(control.StartCapture());
    EXPECT_EQ(host.errors, std::vector<std::string>{kTextOperatorFailed});
    EXPECT_FALSE(device.IsOpen());

    answer = {0x10, 0xC1, 0x00, 0xD1};
    answerCount = 1; // only the Start command is answered
    commands.clear();
    EXPECT_TRUE(control.StartCapture());
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0][7], 5);
    control.StopCapture();
    ASSERT_EQ(commands.size(), 8u); // seven attempts to switch off
    EXPECT_EQ(commands.back()[7], 0);
    EXPECT_EQ(host.errors.size(), 1u);
}

TEST_F(OperatorFixture, TelegramsCopiedRightBehindTheAnswerAreRecorded) {
    TTelegramList list;
    TRecordingHost host;
    TCaptureControl control(list, link, settings, host);
    control.SetOperator(&op);
    control.SetOperatorBox(kSourceComm, true);
    // The answer and, in the same read, the first copied telegram (read request, service 16).
    answer = {0x10, 0xC1, 0x00, 0xD1, 0x01, 0x10, 0x11};
    answerCount = 1;
    ASSERT_TRUE(control.StartCapture());
    control.PollTick();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(EntryBytes(*list.At(0), 3), (Bytes{0x01, 0x10, 0x11}));
    control.StopCapture();
}
