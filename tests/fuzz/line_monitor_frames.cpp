// Line-monitor frames (LineMonitorReceiveFrame) from a serial link or UDP datagrams, cut by the
// TRX5, DIN66019II or raw assembler, from arbitrary bytes in arbitrary pieces.
#include "capture/capture_control.h"
#include "capture/din_assembler.h"
#include "capture/line_monitor.h"
#include "capture/memory_port_device.h"
#include "capture/raw_assembler.h"
#include "capture/udp_source.h"
#include "fuzz_check.h"

#include <chrono>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>
#include <string>
#include <vector>

using namespace protmon;

namespace {

// Counts the messages: an overrun report from the box stops the capture with one.
class TCountingHost : public TSilentHost {
public:
    void ShowInfo(const std::string&) override { ++infos; }
    int infos = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int variant = in.ConsumeIntegralInRange<int>(0, 2); // TRX5, DIN66019II, raw
    const bool udp = in.ConsumeBool();
    std::vector<std::size_t> pieces(in.ConsumeIntegralInRange<std::size_t>(1, 4));
    for (auto& p : pieces)
        p = in.ConsumeIntegralInRange<std::size_t>(1, 400);
    const int depth = in.ConsumeIntegralInRange<int>(kMinBufferDepth, 100);
    const std::vector<std::uint8_t> stream = in.ConsumeRemainingBytes<std::uint8_t>();

    TTelegramList list;
    list.SetBufferDepth(depth);
    TMemoryPortDevice device;
    // One source for all runs (its ring and queue take megabytes), emptied for each.
    static TUdpSource datagrams(TUdpArgument{"127.0.0.1", 9, true});
    datagrams.Purge();
    TCaptureLink link(device);
    TCaptureSettings settings;
    settings.PortText = "memory";
    TCountingHost host;
    TCaptureControl control(list, link, settings, host);
    TLineMonitor monitor(control, host);
    monitor.SetReplyPollStep(std::chrono::milliseconds(0));
    if (udp)
        link.SetDevice(datagrams, true);
    else
        FUZZ_CHECK(link.OpenCapturePort(settings, 38400) == kPortOk);

    TNoTrigger trigger;
    const auto on = [] { return true; };
    std::unique_ptr<TDinAssembler> din;
    std::unique_ptr<TRawAssembler> raw;
    ICaptureAssembler* assembler = &control.Trx5();
    control.Trx5().SetFrameSource(&monitor);
    control.Trx5().SetLineMonitorMode(on);
    if (variant == 1) {
        din = std::make_unique<TDinAssembler>(list, link, trigger, host);
        din->SetFrameSource(&monitor);
        din->SetLineMonitorMode(on);
        assembler = din.get();
    } else if (variant == 2) {
        raw = std::make_unique<TRawAssembler>(list, link);
        raw->SetFrameSource(&monitor);
        raw->SetLineMonitorMode(on);
        assembler = raw.get();
    }

    std::size_t pos = 0;
    for (std::size_t i = 0; pos < stream.size(); ++i) {
        const std::size_t n = std::min(pieces[i % pieces.size()], stream.size() - pos);
        const ByteView piece(stream.data() + pos, n);
        if (udp)
            datagrams.MyUdpReadEvent(piece);
        else
            device.Feed(piece);
        pos += n;
        assembler->Assemble();
        FUZZ_CHECK(link.Buffer().Fill() <= kReceiveBufferSize);
    }
    // Everything delivered is taken within a few ticks.
    for (int i = 0; i < 64 && (device.Queued() > 0 || datagrams.FramesWaiting() > 0); ++i)
        assembler->Assemble();
    // Unless an overrun report stopped the capture, which leaves the rest unread.
    FUZZ_CHECK(host.infos > 0 || (device.Queued() == 0 && datagrams.FramesWaiting() == 0));
    FUZZ_CHECK(list.Count() <= list.Capacity());
    return 0;
}
