// The line monitor code against the simulated box, over loopback UDP and over a pty.

#include "capture/capture_control.h"
#include "capture/line_monitor.h"
#include "capture/serial_com.h"
#include "capture/trx5_length.h"
#include "capture/udp_source.h"
#include "capture_test_support.h"
#include "pty_pair.h"
#include "support/lmsim_process.h"

#include <gtest/gtest.h>
#include <memory>

using namespace protmon;
using protmon::test::TRecordingHost;
using protmon::testing::kLmsim;
using protmon::testing::LmsimProcess;

namespace {

// Capture control with the line monitor over one of the two links.
struct TRig {
    explicit TRig(bool udpLink, const std::string& where)
        : link(serial), control(list, link, settings, host), lm(control, host) {
        lm.Connect();
        if (udpLink) {
            udp = std::make_unique<TUdpSource>(ParseUdpArgument("127.0.0.1:" + where));
            ConnectUdpSource(control, *udp);
        } else {
            settings.PortText = where;
            control.SetMonitorBox(true);
        }
    }
    // Ticks until `count` entries were written or the capture stopped; about five seconds at most.
    void TickUntil(int count) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (control.Running() && list.Count() < count &&
               std::chrono::steady_clock::now() < end) {
            control.PollTick();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    bool AllTelegramsGood(int count) const {
        for (int i = 0; i < count; ++i) {
            const TTelEntry* e = list.At(i);
            if (e == nullptr || e->Data[0] == 0 || e->Channel > 1)
                return false;
        }
        return true;
    }

    TTelegramList list;
    TCaptureSettings settings;
    TSerialCom serial;
    TCaptureLink link;
    TRecordingHost host;
    TCaptureControl control;
    TLineMonitor lm;
    std::unique_ptr<TUdpSource> udp;
};

std::vector<std::string> Args(const char* transport, std::vector<std::string> more) {
    if (std::string(transport) == "--udp")
        more.insert(more.begin(), {"--udp", "0"});
    else
        more.insert(more.begin(), "--pty");
    more.insert(more.end(), {"--bad-bcc-permille", "0"});
    return more;
}

class LmsimLink : public ::testing::TestWithParam<const char*> {
protected:
    bool Udp() const { return std::string(GetParam()) == "--udp"; }
    std::unique_ptr<LmsimProcess> Box(std::vector<std::string> more) {
        auto box = std::make_unique<LmsimProcess>(kLmsim, Args(GetParam(), std::move(more)));
        EXPECT_FALSE(box->FirstLine().empty());
        return box;
    }
    std::unique_ptr<TRig> Rig(const LmsimProcess& box) {
        return std::make_unique<TRig>(Udp(), box.FirstLine());
    }
};

} // namespace

TEST_P(LmsimLink, CaptureRecordsChannelAndTimeStamp) {
    auto box = Box({"--count", "400", "--rate", "0"});
    auto rig = Rig(*box);
    ASSERT_TRUE(rig->control.StartCapture())
        << (rig->host.errors.empty() ? "" : rig->host.errors[0]);
    EXPECT_TRUE(rig->settings.Monitor);
    EXPECT_EQ(rig->settings.TimeStampResolution, 128);
    rig->TickUntil(400);
    rig->control.StopCapture();
    ASSERT_EQ(rig->list.Count(), 400);
    EXPECT_TRUE(rig->AllTelegramsGood(400));
    bool channelA = false, channelB = false, stamped = false;
    for (int i = 0; i < 400; ++i) {
        channelA = channelA || rig->list.At(i)->Channel == 0;
        channelB = channelB || rig->list.At(i)->Channel == 1;
        stamped = stamped || rig->list.At(i)->TimeStamp != 0;
    }
    EXPECT_TRUE(channelA && channelB && stamped);
    EXPECT_TRUE(rig->host.errors.empty());
    EXPECT_EQ(rig->control.RxErrorCount(), 0);
}

TEST_P(LmsimLink, RefusedAndSilentBoxes) {
    {
        auto box = Box({"--refuse", "4"});
        auto rig = Rig(*box);
        EXPECT_FALSE(rig->control.StartCapture());
        EXPECT_EQ(rig->host.errors,
                  std::vector<std::string>{
                      "Unable to activate the line monitor :\nUnsupported monitor command."});
    }
    auto box = Box({"--silent"});
    auto rig = Rig(*box);
    EXPECT_FALSE(rig->control.StartCapture());
    EXPECT_EQ(rig->host.errors,
              std::vector<std::string>{
                  "Unable to activate the line monitor :\nNo answer from monitor hardware."});
}

TEST_P(LmsimLink, VersionText) {
    auto box = Box({"--version-text", "BOX V1.23.4"});
    auto rig = Rig(*box);
    rig->lm.LineMonitorInfo();
    EXPECT_EQ(rig->host.infos, std::vector<std::string>{"Line monitor version :\nBOX V1.23.4"});
}

TEST_P(LmsimLink, OverrunStopsTheCapture) {
    auto box = Box({"--overrun-after", "25", "--rate", "2000"});
    auto rig = Rig(*box);
    ASSERT_TRUE(rig->control.StartCapture());
    rig->TickUntil(1000);
    EXPECT_FALSE(rig->control.Running());
    EXPECT_EQ(rig->list.Count(), 25);
    EXPECT_EQ(rig->host.infos,
              std::vector<std::string>{"Line monitor stopped because of receive buffer overrun !"});
}

INSTANTIATE_TEST_SUITE_P(Links, LmsimLink, ::testing::Values("--udp", "--pty"));

TEST(LmsimUdpSource, TwoFramesInOneDatagram) {
    LmsimProcess box(
        kLmsim, Args("--udp", {"--frames-per-datagram", "2", "--count", "300", "--rate", "0"}));
    TRig rig(true, box.FirstLine());
    ASSERT_TRUE(rig.control.StartCapture());
    rig.TickUntil(300);
    EXPECT_EQ(rig.list.Count(), 300);
    EXPECT_TRUE(rig.AllTelegramsGood(300));
}

// Frames the program could not take in time are counted, never lost silently: with nobody
// reading for a while, what was recorded plus the receive errors is what the box sent.
TEST(LmsimUdpSource, BacklogBeyondAllBuffersIsCounted) {
    const int sent = 200000;
    LmsimProcess box(kLmsim, Args("--udp", {"--count", std::to_string(sent), "--rate", "0"}));
    TRig rig(true, box.FirstLine());
    rig.list.SetBufferDepth(sent);
    ASSERT_TRUE(rig.control.StartCapture());
    // Nobody reads until the listener has lost datagrams: the backlog outgrew every buffer.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (rig.udp->ListenerLosses() == 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GT(rig.udp->ListenerLosses(), 0U);
    int quiet = 0;
    while (quiet < 200) {
        const int before = rig.list.Count();
        rig.control.PollTick();
        quiet = rig.list.Count() == before ? quiet + 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(rig.control.RxErrorCount(), 0);
    EXPECT_EQ(rig.list.Count() + rig.control.RxErrorCount(), sent);
}

// Link at 9600, baud box at 38400: the box is found at 9600, switched by command 1 to index 5,
// and the port reopened at 38400, where the configuration then succeeds.
TEST(LmsimPtyLink, BaudSynchronisation) {
    LmsimProcess box(kLmsim,
                     Args("--pty", {"--link-baud", "9600", "--count", "50", "--rate", "0"}));
    TRig rig(false, box.FirstLine());
    rig.settings.BaudIndex = 5;
    ASSERT_TRUE(rig.control.StartCapture());
    rig.TickUntil(50);
    EXPECT_EQ(rig.list.Count(), 50);
    EXPECT_TRUE(rig.AllTelegramsGood(50));
}
