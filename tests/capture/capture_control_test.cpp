#include "capture/capture_control.h"
#include "capture/memory_port_device.h"
#include "capture_test_support.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace protmon;
using namespace protmon::test;

namespace {

class TStubOperator : public IOperatorMonitor {
public:
    int OperatorMonitorCommand(std::uint32_t selection) override {
        selections.push_back(selection);
        return failuresLeft-- > 0 ? kPortNoAnswer : kPortOk;
    }
    std::vector<std::uint32_t> selections;
    int failuresLeft = 0;
};

class TStubLineMonitor : public ILineMonitorControl {
public:
    int ConfigureLineMonitor() override { return configureResult; }
    int LineMonitorCommand(int code, int value) override {
        commands.emplace_back(code, value);
        return kPortNoAnswer;
    }
    int configureResult = kPortOk;
    std::vector<std::pair<int, int>> commands;
};

class CaptureControlTest : public ::testing::Test {
protected:
    CaptureControlTest() : link(device), control(list, link, settings, host) {
        settings.PortText = "/dev/memory0";
        control.SetObserver(&view);
        control.SetTrigger(&trigger);
        control.SetOperator(&op);
        control.SetLineMonitor(&lm);
    }

    void Tick(const Bytes& bytes) {
        device.Feed(bytes);
        control.PollTick();
    }

    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link;
    TCaptureSettings settings;
    TRecordingHost host;
    TRecordingObserver view;
    TCountingTrigger trigger;
    TStubOperator op;
    TStubLineMonitor lm;
    TCaptureControl control;
};

const Bytes kRead16 = {0x01, 0x10, 0x11};

} // namespace

TEST_F(CaptureControlTest, StartOpensThePortAndRuns) {
    settings.BaudIndex = 3;
    device.SetFailOpen(false);
    device.Feed({0x99, 0x98}); // stale bytes are purged
    EXPECT_TRUE(control.StartCapture());
    EXPECT_EQ(control.RunningMode(), kRunTrx5);
    EXPECT_EQ(device.Baud(), 9600);
    EXPECT_EQ(device.DataBits(), 8);
    EXPECT_EQ(device.Parity(), 'E');
    EXPECT_TRUE(device.Rts());
    EXPECT_FALSE(device.Dtr());
    EXPECT_EQ(device.Queued(), 0);
    EXPECT_TRUE(trigger.armed);
    EXPECT_EQ(view.log, (std::vector<std::string>{"button down", "starting", "ui capturing"}));
    EXPECT_EQ(settings.SourceFlags, 0u);

    Tick(kRead16);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(view.liveDisplays, 1);
    control.StartStopClick(false);
    EXPECT_EQ(control.RunningMode(), kStopped);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(view.buttonDown);
    EXPECT_EQ(view.log.back(), "stopped");
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(CaptureControlTest, RunningModeFollowsTheSelectionAndFraming) {
    struct Case {
        Protocol selection;
        bool monitor;
        int mode;
        int bits;
    };
    for (const Case& c :
         {Case{Protocol::Din66019II, false, kRunDin, 7},
          Case{Protocol::Din66019II, true, kRunDin, 8}, Case{Protocol::Raw, false, kRunRaw, 8}}) {
        settings.Selection = c.selection;
        settings.Monitor = c.monitor;
        ASSERT_TRUE(control.StartCapture());
        EXPECT_EQ(control.RunningMode(), c.mode);
        EXPECT_EQ(device.DataBits(), c.bits);
        control.StopCapture();
    }
    settings.Monitor = false;
    settings.RawFormat.DataBits = 7;
    settings.RawFormat.Parity = ParityChoice::None;
    control.StartCapture();
    EXPECT_EQ(device.DataBits(), 7);
    EXPECT_EQ(device.Parity(), 'N');
}

TEST_F(CaptureControlTest, StartFailures) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string error;
    };
    const Case cases[] = {
        {"no port", [&] { device.SetFailOpen(true); }, kTextPortNotAvailable},
        {"operator silent",
         [&] {
             settings.Comm = true;
             op.failuresLeft = 1;
         },
         kTextOperatorFailed},
        {"line monitor refuses",
         [&] {
             settings.Monitor = true;
             lm.configureResult = kPortRefused;
         },
         std::string(kTextLineMonitorFailed) + kTextUnsupportedCommand},
        {"line monitor silent",
         [&] {
             settings.Monitor = true;
             lm.configureResult = kPortNoAnswer;
         },
         std::string(kTextLineMonitorFailed) + kTextNoAnswer},
        // Both devices were busy in one section: the cursor must not stay busy after the box.
        {"operator answers, line monitor silent",
         [&] {
             settings.Comm = settings.Monitor = true;
             lm.configureResult = kPortNoAnswer;
         },
         std::string(kTextLineMonitorFailed) + kTextNoAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.SetFailOpen(false);
        settings.Comm = settings.Monitor = false;
        host.errors.clear();
        c.arrange();
        EXPECT_FALSE(control.StartCapture());
        EXPECT_EQ(host.errors, std::vector<std::string>{c.error});
        EXPECT_EQ(control.RunningMode(), kStopped);
        EXPECT_FALSE(view.buttonDown);
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(std::count(host.busyCalls.begin(), host.busyCalls.end(), true),
                  std::count(host.busyCalls.begin(), host.busyCalls.end(), false));
        control.PollTick(); // does nothing while stopped
        EXPECT_EQ(view.liveDisplays, 0);
    }
}

TEST_F(CaptureControlTest, OperatorAndLineMonitorAreSwitchedOffAtStop) {
    settings.Comm = true;
    settings.PdIn = true;
    ASSERT_TRUE(control.StartCapture());
    EXPECT_EQ(op.selections, std::vector<std::uint32_t>{5});
    EXPECT_EQ(settings.SourceFlags, 5u);
    op.failuresLeft = 100;
    control.StopCapture();
    EXPECT_EQ(op.selections.size(), 1u + 7u); // at most 7 attempts, failure not reported
    EXPECT_TRUE(host.errors.empty());

    settings.Comm = settings.PdIn = false;
    settings.Monitor = true;
    settings.LineMonitor.TimeStampIndex = 3;
    ASSERT_TRUE(control.StartCapture());
    EXPECT_EQ(settings.SourceFlags, unsigned{kSourceLineMonitor});
    EXPECT_EQ(settings.TimeStampResolution, 1024);
    control.StopCapture();
    EXPECT_EQ(lm.commands.size(), 7u);
    EXPECT_EQ(lm.commands.front(), std::make_pair(16, 0));
}

TEST_F(CaptureControlTest, ReceiveErrorsCountOncePerTick) {
    control.StartCapture();
    device.InjectError(kRxOverrun);
    device.InjectError(kRxParity);
    control.PollTick();
    EXPECT_EQ(control.RxErrorCount(), 1);
    EXPECT_EQ(view.rxText, "RxErrors:1");
    control.PollTick();
    EXPECT_EQ(control.RxErrorCount(), 1);
    device.InjectError(kRxFraming);
    control.PollTick();
    EXPECT_EQ(view.rxText, "RxErrors:2");
    control.StopCapture();
    control.Clear();
    EXPECT_EQ(control.RxErrorCount(), 0);
    EXPECT_EQ(view.rxText, "RxErrors:0");
}

// A quiet line is polled every 10 ms; any bytes, even half a telegram, bring the 1 ms tick
// back, and so does the next Start.
TEST_F(CaptureControlTest, QuietLineIsPolledLessOften) {
    control.StartCapture();
    const int fast = TCaptureControl::kPollMs;
    const int quiet = TCaptureControl::kIdlePollMs;
    EXPECT_EQ(control.PollIntervalMs(), fast);
    const std::pair<Bytes, int> ticks[] = {{{}, quiet}, {{}, quiet},          {{0x01}, fast},
                                           {{}, quiet}, {{0x10, 0x11}, fast}, {{}, quiet}};
    for (const auto& [bytes, interval] : ticks) {
        Tick(bytes);
        EXPECT_EQ(control.PollIntervalMs(), interval) << bytes.size();
    }
    EXPECT_EQ(list.Count(), 1);
    control.StopCapture();
    control.StartCapture();
    EXPECT_EQ(control.PollIntervalMs(), fast);
}

TEST_F(CaptureControlTest, TriggerStopsAndShowsThePosition) {
    trigger.fireAt = 2;
    control.StartCapture();
    Tick(Concat({kRead16, kRead16, kRead16}));
    EXPECT_EQ(control.RunningMode(), kStopped);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(view.triggerPositions, std::vector<int>{1});
    EXPECT_EQ(host.infos, std::vector<std::string>{kTextTriggered});
    EXPECT_EQ(view.liveDisplays, 0);
    EXPECT_FALSE(view.buttonDown);
}

TEST_F(CaptureControlTest, WrappedListIsChronologicalAfterStop) {
    list.SetBufferDepth(10);
    control.StartCapture();
    for (int i = 1; i <= 12; ++i)
        Tick(Telegram({static_cast<std::uint8_t>(i), 0x10}));
    EXPECT_EQ(list.WriteIndex(), 2);
    control.StopCapture();
    EXPECT_EQ(list.WriteIndex(), 0);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(list.At(i)->Data[0], i + 3);
}

TEST_F(CaptureControlTest, LostDeviceStopsAndKeepsEntries) {
    settings.Comm = true;
    control.StartCapture();
    Tick(Concat({kRead16, kRead16}));
    device.Disconnect();
    control.PollTick();
    EXPECT_EQ(control.RunningMode(), kStopped);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(host.errors, std::vector<std::string>{kTextPortNotAvailable});
    EXPECT_FALSE(view.buttonDown);
    EXPECT_EQ(op.selections, std::vector<std::uint32_t>{1}); // no stop command to a lost device
    EXPECT_EQ(view.log.back(), "stopped");
}

TEST_F(CaptureControlTest, ClearBeforeStart) {
    control.StartCapture();
    Tick(kRead16);
    control.StopCapture();
    control.StartCapture();
    EXPECT_EQ(list.Count(), 1);
    control.StopCapture();
    control.SetClearBeforeStart(true);
    host.answer = false; // never asked
    control.StartCapture();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(CaptureControlTest, ProtocolSelection) {
    list.NewTelEntry();
    // TRX5 <-> DIN66019II keeps the entries without asking.
    EXPECT_TRUE(control.SelectProtocol(Protocol::Din66019II));
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(list.Count(), 1);
    // RAW with entries: Cancel keeps everything.
    host.answer = false;
    EXPECT_FALSE(control.SelectProtocol(Protocol::Raw));
    EXPECT_EQ(host.questions, std::vector<std::string>{kTextDeleteAll});
    EXPECT_EQ(settings.Selection, Protocol::Din66019II);
    EXPECT_EQ(view.shownProtocols.back(), Protocol::Din66019II);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(view.rawDialogs, 0);
    // OK clears and opens the raw format dialog.
    host.answer = true;
    EXPECT_TRUE(control.SelectProtocol(Protocol::Raw));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(settings.Selection, Protocol::Raw);
    EXPECT_EQ(view.rawDialogs, 1);
    // Reading a file: no dialog; empty list: no question.
    host.questions.clear();
    EXPECT_TRUE(control.SelectProtocol(Protocol::Trx5));
    EXPECT_TRUE(control.SelectProtocol(Protocol::Raw, true));
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(view.rawDialogs, 1);
}

TEST_F(CaptureControlTest, CheckBoxRules) {
    control.SetMonitorBox(true);
    EXPECT_EQ(view.log.back(), "monitor on");
    settings.Selection = Protocol::Raw;
    list.NewTelEntry();
    // The operator speaks TRX5: leaving RAW asks; Cancel leaves the box off.
    host.answer = false;
    control.SetOperatorBox(kSourcePdOut, true);
    EXPECT_FALSE(settings.PdOut);
    EXPECT_TRUE(settings.Monitor);
    EXPECT_EQ(list.Count(), 1);
    host.answer = true;
    control.SetOperatorBox(kSourcePdOut, true);
    EXPECT_TRUE(settings.PdOut);
    EXPECT_FALSE(settings.Monitor);
    EXPECT_EQ(settings.Selection, Protocol::Trx5);
    EXPECT_EQ(view.log.back(), "monitor off");
    control.SetMonitorBox(true);
    EXPECT_FALSE(settings.PdOut);
}

TEST_F(CaptureControlTest, UdpSourceSwitchesMonitorOnOnce) {
    struct TUdp : IUdpSource {
        int ActivateListener() override {
            ++activations;
            return kPortOk;
        }
        int activations = 0;
    } udp;
    TMemoryPortDevice datagrams;
    link.SetDevice(datagrams, true);
    control.SetUdpSource(&udp);
    control.SetOperatorBox(kSourceComm, true); // rule waits until "Monitor" was switched on
    EXPECT_TRUE(settings.Comm);
    ASSERT_TRUE(control.StartCapture());
    EXPECT_TRUE(settings.Monitor);
    EXPECT_EQ(udp.activations, 1);
    control.StopCapture();
    control.SetMonitorBox(false);
    control.StartCapture();
    EXPECT_FALSE(settings.Monitor);
    EXPECT_EQ(udp.activations, 2);
}

TEST(CaptureHelpers, GetLastTelEntryOnEmptyListIsReported) {
    TTelegramList list;
    TRecordingHost host;
    EXPECT_EQ(GetLastTelEntryOrReport(list, host), nullptr);
    EXPECT_EQ(host.infos, std::vector<std::string>{"Fatal Error: GetLastTelEntry not possible !"});
    TTelEntry* e = list.NewTelEntry();
    EXPECT_EQ(GetLastTelEntryOrReport(list, host), e);
    EXPECT_EQ(host.infos.size(), 1u);
}

TEST(CaptureLinkTest, CommandIsSentByteByByteAndRtsRestored) {
    TMemoryPortDevice device;
    TCaptureLink link(device);
    TCaptureSettings settings;
    settings.PortText = "mem";
    ASSERT_EQ(link.OpenCapturePort(settings, 38400), kPortOk);
    std::vector<bool> rtsDuringWrites;
    device.SetWriteObserver([&](ByteView) { rtsDuringWrites.push_back(device.Rts()); });
    const Bytes cmd = {0x10, 0x41, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x05, 0x01, 0xAA};
    EXPECT_EQ(link.SendCommand(cmd.data(), 10, 1, 12), 1);
    EXPECT_EQ(device.Sent(), cmd);
    EXPECT_EQ(rtsDuringWrites, std::vector<bool>(10, false));
    EXPECT_TRUE(device.Rts());
    EXPECT_FALSE(link.CommandPending());

    device.ClearSent();
    const Bytes lmCmd = {0x1B, 0x40, 0x1B, 16, 0};
    EXPECT_EQ(link.SendCommand(lmCmd.data(), 5, 5, 0), 5);
    EXPECT_EQ(device.Sent(), lmCmd);
    EXPECT_TRUE(device.Rts());

    link.CloseCapturePort();
    EXPECT_EQ(link.SendBytes(cmd.data(), 1), kPortClosed);
    std::uint8_t b[4];
    EXPECT_EQ(link.ReceiveBytes(b, 4), kPortClosed);
    EXPECT_EQ(link.CloseCapturePort(), kPortNotOpen);
    settings.PortText.clear();
    EXPECT_EQ(link.OpenCapturePort(settings, 38400), kPortBusy);
}

TEST_F(CaptureControlTest, EntriesCarryTheReceiveTimeOfTheirTick) {
    list.SetBufferDepth(10);
    std::int64_t now = 1'000;
    control.SetReceiveClock([&now] { return now; });
    control.StartCapture();
    // Two telegrams in one tick share its time; a reused ring entry takes the new tick's time.
    for (int i = 1; i <= 11; ++i, now += 1'000)
        Tick(i == 1 ? Concat({kRead16, kRead16}) : kRead16);
    control.StopCapture();
    ASSERT_EQ(list.Count(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(list.At(i)->ReceiveTime, (i + 2) * 1'000) << i;
    EXPECT_EQ(list.AppendEntry()->ReceiveTime, 0); // entries from a file have none
}
