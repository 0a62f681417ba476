#include "capture/capture_assemblers.h"
#include "capture/memory_port_device.h"
#include "capture_test_support.h"
#include "fake_frame_source.h"

#include <gtest/gtest.h>

using namespace protmon;
using namespace protmon::test;

namespace {

// Capture control with the DIN66019II and raw assemblers; line-monitor frames reach the TRX5
// assembler only, as when the line monitor connects itself.
struct Capture {
    Capture()
        : link(device), control(list, link, settings, host), sources(control, host),
          frames(link.Buffer()) {
        settings.PortText = "memory";
        control.SetTrigger(&trigger);
        sources.SetTrigger(trigger);
        control.Trx5().SetFrameSource(&frames);
    }
    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link;
    TCaptureSettings settings;
    TRecordingHost host;
    TCaptureControl control;
    TCaptureAssemblers sources;
    TFakeFrameSource frames;
    TCountingTrigger trigger;
};

} // namespace

TEST(CaptureAssemblers, RunningModesUseTheirAssemblersAndTheSharedFrameSource) {
    Capture c;
    c.control.SelectProtocol(Protocol::Din66019II);
    c.control.SetMonitorBox(true);
    ASSERT_TRUE(c.control.StartCapture());
    c.frames.Queue(LineMonitorFrame({'W', '1', 0x05, 'W' ^ '1' ^ 0x05}, 1, 7));
    c.control.PollTick();
    ASSERT_EQ(c.list.Count(), 1);
    EXPECT_EQ(EntryBytes(*c.list.At(0), 3), (Bytes{0x10, 0x10, 0x00}));
    EXPECT_EQ(c.list.At(0)->Channel, 1);
    EXPECT_EQ(c.trigger.checked, 1); // the trigger sees DIN66019II entries
    c.control.StopCapture();

    c.control.SelectProtocol(Protocol::Raw);
    EXPECT_EQ(c.list.Count(), 0); // leaving the coded protocols cleared the list
    ASSERT_TRUE(c.control.StartCapture());
    c.frames.Queue(LineMonitorFrame({1, 2, 3}, 0, 9));
    c.control.PollTick();
    ASSERT_EQ(c.list.Count(), 1);
    EXPECT_EQ(EntryBytes(*c.list.At(0), 4), (Bytes{3, 1, 2, 3}));
    EXPECT_EQ(c.list.At(0)->TimeStamp, 9);
    c.control.StopCapture();

    // Without "Monitor" the bytes come straight from the port.
    c.control.SetMonitorBox(false);
    c.control.Clear();
    ASSERT_TRUE(c.control.StartCapture());
    c.device.Feed(Bytes{9, 8, 7});
    c.control.PollTick();
    ASSERT_EQ(c.list.Count(), 1);
    EXPECT_EQ(EntryBytes(*c.list.At(0), 4), (Bytes{3, 9, 8, 7}));
}
