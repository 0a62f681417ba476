// The searches for the line monitor's reply and the fieldbus operator's answer among arbitrary
// received bytes, on a virtual clock: the waits and the guard time keep their lengths but cost no
// real time, and every search must give up within its timeout.
#include "capture/capture_control.h"
#include "capture/clock.h"
#include "capture/line_monitor.h"
#include "capture/memory_port_device.h"
#include "capture/operator_monitor.h"
#include "fuzz_check.h"

#include <chrono>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

using namespace protmon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const bool lineMonitor = in.ConsumeBool();
    const int code = in.ConsumeIntegral<std::uint8_t>();
    const int value = in.ConsumeIntegral<std::uint8_t>();
    const std::vector<std::uint8_t> received = in.ConsumeRemainingBytes<std::uint8_t>();

    const int at =
        TOperatorMonitor::FindOperatorAnswer(received.data(), static_cast<int>(received.size()));
    FUZZ_CHECK(at == -1 || (at >= 0 && at + 4 <= static_cast<int>(received.size())));

    // The searches never store an entry, and a fresh list would allocate its whole ring each run.
    static TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link(device);
    TVirtualClock clock;
    link.SetClock(clock);
    TCaptureSettings settings;
    settings.PortText = "memory";
    TSilentHost host;
    TCaptureControl control(list, link, settings, host);
    FUZZ_CHECK(link.OpenCapturePort(settings, 38400) == kPortOk);
    // The received bytes arrive in answer to the command.
    bool fed = false;
    device.SetWriteObserver([&](ByteView) {
        if (!fed)
            device.Feed(received);
        fed = true;
    });
    if (lineMonitor) {
        TLineMonitor monitor(control, host);
        const int rc = monitor.LineMonitorCommand(code, value);
        FUZZ_CHECK(rc == kPortOk || rc == kPortRefused || rc == kPortNoAnswer);
        FUZZ_CHECK(clock.Elapsed() <= TLineMonitor::kReplyPolls * TLineMonitor::kReplyPollStep +
                                          2 * TCaptureLink::kGuardTick);
    } else {
        TOperatorMonitor op(link);
        const int rc = op.OperatorMonitorCommand(static_cast<std::uint32_t>(code));
        FUZZ_CHECK(rc == kPortOk || rc == kPortNoAnswer);
        FUZZ_CHECK(clock.Elapsed() <=
                   TOperatorMonitor::kPolls * TOperatorMonitor::kPollInterval +
                       (2 + TOperatorMonitor::kExtraGuardTicks) * TCaptureLink::kGuardTick);
    }
    FUZZ_CHECK(link.Buffer().Fill() <= kReceiveBufferSize);
    FUZZ_CHECK(list.Count() == 0);
    return 0;
}
