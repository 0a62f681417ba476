// AssembleDin and AssembleRaw on bytes straight from the port, in arbitrary pieces.
#include "capture/capture_link.h"
#include "capture/din_assembler.h"
#include "capture/memory_port_device.h"
#include "capture/raw_assembler.h"
#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

using namespace protmon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const bool useDin = in.ConsumeBool();
    std::vector<std::size_t> pieces(in.ConsumeIntegralInRange<std::size_t>(1, 8));
    for (auto& p : pieces)
        p = in.ConsumeIntegralInRange<std::size_t>(1, 300);
    const int depth = in.ConsumeIntegralInRange<int>(kMinBufferDepth, 100);
    const std::vector<std::uint8_t> stream = in.ConsumeRemainingBytes<std::uint8_t>();

    TTelegramList list;
    list.SetBufferDepth(depth);
    TMemoryPortDevice device;
    TCaptureLink link(device);
    TCaptureSettings settings;
    settings.PortText = "memory";
    FUZZ_CHECK(link.OpenCapturePort(settings, 9600) == kPortOk);
    TSilentHost host;
    TNoTrigger trigger;
    TDinAssembler din(list, link, trigger, host);
    TRawAssembler raw(list, link);
    ICaptureAssembler& assembler = useDin ? static_cast<ICaptureAssembler&>(din) : raw;

    std::size_t pos = 0;
    for (std::size_t i = 0; pos < stream.size(); ++i) {
        const std::size_t n = std::min(pieces[i % pieces.size()], stream.size() - pos);
        device.Feed(ByteView(stream.data() + pos, n));
        pos += n;
        assembler.Assemble();
        FUZZ_CHECK(link.Buffer().Fill() <= kReceiveBufferSize);
    }
    for (int i = 0; i < 64 && device.Queued() > 0; ++i)
        assembler.Assemble();
    FUZZ_CHECK(device.Queued() == 0);
    FUZZ_CHECK(list.Count() <= list.Capacity());
    return 0;
}
