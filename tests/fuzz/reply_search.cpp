// The searches for the line monitor's reply and the fieldbus operator's answer among arbitrary
// received bytes.
#include "capture/capture_control.h"
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

    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link(device);
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
        monitor.SetReplyPollStep(std::chrono::milliseconds(0));
        const int rc = monitor.LineMonitorCommand(code, value);
        FUZZ_CHECK(rc == kPortOk || rc == kPortRefused || rc == kPortNoAnswer);
    } else {
        TOperatorMonitor op(link);
        op.SetSleeper([](std::chrono::milliseconds) {});
        const int rc = op.OperatorMonitorCommand(static_cast<std::uint32_t>(code));
        FUZZ_CHECK(rc == kPortOk || rc == kPortNoAnswer);
    }
    FUZZ_CHECK(link.Buffer().Fill() <= kReceiveBufferSize);
    return 0;
}
