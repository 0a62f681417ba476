// AssembleTrx5 on arbitrary bytes arriving in arbitrary pieces, plus the line-monitor frame path.
#include "capture/capture_link.h"
#include "capture/memory_port_device.h"
#include "capture/trx5_assembler.h"
#include "capture/trx5_length.h"
#include "fuzz_check.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

using namespace protmon;

namespace {

// A stored telegram (first byte not 0) is whole with a good BCC and nothing behind it, so its
// 49 stored bytes XOR to 0.
void CheckEntries(const TTelegramList& list) {
    for (int i = 0; i < list.Count(); ++i) {
        const TTelEntry& e = *list.At(i);
        FUZZ_CHECK(e.Data[0] == 0 || Trx5Bcc(e.Data, kMaxStoredTelegram) == 0);
    }
}

// Stores the frame at the buffer start and takes exactly that frame out of the buffer.
void LineMonitorFrame(ByteView bytes) {
    TTelegramList list;
    TReceiveBuffer buffer;
    buffer.Append(bytes);
    const int frame = buffer.At(3) + 3;
    const int before = buffer.Fill();
    TTrx5Assembler::StoreFrameTelegram(buffer, list);
    FUZZ_CHECK(buffer.Fill() == std::max(before - frame, 0) && list.Count() == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // The last bytes of the input choose the piece sizes (cycled) and how small the ring is; the
    // rest is the byte stream.
    std::vector<std::size_t> pieces(in.ConsumeIntegralInRange<std::size_t>(1, 8));
    for (auto& p : pieces)
        p = in.ConsumeIntegralInRange<std::size_t>(1, 300);
    const int depth = in.ConsumeIntegralInRange<int>(kMinBufferDepth, 200);
    const std::vector<std::uint8_t> stream = in.ConsumeRemainingBytes<std::uint8_t>();

    TTelegramList list;
    list.SetBufferDepth(depth);
    TMemoryPortDevice device;
    TCaptureLink link(device);
    TCaptureSettings settings;
    settings.PortText = "memory";
    FUZZ_CHECK(link.OpenCapturePort(settings, 38400) == kPortOk);
    TNoTrigger trigger;
    TTrx5Assembler assembler(list, link, trigger);

    std::size_t pos = 0;
    for (std::size_t i = 0; pos < stream.size(); ++i) {
        const std::size_t n = std::min(pieces[i % pieces.size()], stream.size() - pos);
        device.Feed(ByteView(stream.data() + pos, n));
        pos += n;
        assembler.AssembleTrx5();
        FUZZ_CHECK(link.Buffer().Fill() <= kReceiveBufferSize);
    }
    // Nothing is left waiting that a further tick would still cut.
    const int before = list.Count();
    assembler.AssembleTrx5();
    FUZZ_CHECK(list.Count() == before);
    FUZZ_CHECK(list.Count() <= list.Capacity());
    CheckEntries(list);

    LineMonitorFrame(ByteView(stream.data(), stream.size()));
    return 0;
}
