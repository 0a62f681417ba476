// A capture through the fieldbus operator stand-in on a pty: Start switches the copying on with
// the monitor command, the poll ticks record the copied telegrams, Stop switches it off.

#include "capture/capture_control.h"
#include "capture/operator_monitor.h"
#include "capture/serial_com.h"
#include "capture_test_support.h"
#include "support/lmsim_process.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace protmon;
using protmon::testing::kLmsim;

namespace {

struct OperatorCapture {
    explicit OperatorCapture(std::vector<std::string> args)
        : box(kLmsim, Args(std::move(args))), link(serial), op(link),
          control(list, link, settings, host) {
        settings.PortText = box.FirstLine();
        control.SetOperator(&op);
    }
    static std::vector<std::string> Args(std::vector<std::string> more) {
        more.insert(more.begin(), {"--pty", "--operator", "--bad-bcc-permille", "0"});
        return more;
    }
    // Ticks until `count` entries are recorded or two seconds have passed.
    void TickUntil(int count) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (control.Running() && list.Count() < count &&
               std::chrono::steady_clock::now() < end) {
            control.PollTick();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    protmon::testing::LmsimProcess box;
    TTelegramList list;
    TCaptureSettings settings;
    TSerialCom serial;
    TCaptureLink link;
    TOperatorMonitor op;
    test::TRecordingHost host;
    TCaptureControl control;
};

} // namespace

TEST(OperatorCapturePty, CopiedTelegramsAreRecorded) {
    // Paced, so that the copies come after Start has emptied the receive buffer.
    OperatorCapture c({"--rate", "2000"});
    c.control.SetOperatorBox(kSourceComm, true);
    c.control.SetOperatorBox(kSourcePdOut, true);
    c.control.SetOperatorBox(kSourcePdIn, true);
    ASSERT_TRUE(c.control.StartCapture()) << (c.host.errors.empty() ? "" : c.host.errors[0]);
    EXPECT_EQ(c.settings.SourceFlags, 7u);
    c.TickUntil(200);
    c.control.StopCapture();
    EXPECT_TRUE(c.host.errors.empty());
    ASSERT_GE(c.list.Count(), 200);
    for (int i = 0; i < c.list.Count(); ++i)
        ASSERT_NE(c.list.At(i)->Data[0], 0) << "status entry at " << i;
}

TEST(OperatorCapturePty, RefusingOperatorFailsStart) {
    OperatorCapture c({"--refuse", "1"});
    c.control.SetOperatorBox(kSourceComm, true);
    EXPECT_FALSE(c.control.StartCapture());
    EXPECT_EQ(c.host.errors, std::vector<std::string>{kTextOperatorFailed});
    EXPECT_FALSE(c.control.Running());
}
