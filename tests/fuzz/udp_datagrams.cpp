// The UDP datagram handler (MyUdpReadEvent) on arbitrary datagrams, and the frames Read hands out.
#include "capture/udp_source.h"
#include "fuzz_check.h"

#include <array>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

using namespace protmon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // One source for all runs (its ring and queue take megabytes), emptied for each.
    static TUdpSource udp(TUdpArgument{"127.0.0.1", 9, true});
    udp.Purge();
    const int errorsBefore = udp.ReceiveErrors();
    int datagrams = 0;
    while (in.remaining_bytes() > 0) {
        const auto length = in.ConsumeIntegralInRange<std::size_t>(0, 2 * TUdpSource::kMaxFrame);
        const std::vector<std::uint8_t> datagram = in.ConsumeBytes<std::uint8_t>(length);
        udp.MyUdpReadEvent(ByteView(datagram.data(), datagram.size()));
        ++datagrams;
        FUZZ_CHECK(udp.FramesWaiting() >= 0 && udp.FramesWaiting() < TUdpSource::kRingSlots);
    }
    FUZZ_CHECK(udp.ReceiveErrors() - errorsBefore <= datagrams);
    std::array<std::uint8_t, TUdpSource::kMaxFrame + 16> frame{};
    int count = 0;
    for (int reads = 0; reads < TUdpSource::kRingSlots; ++reads) {
        FUZZ_CHECK(udp.Read(frame.data(), static_cast<int>(frame.size()), count) == kPortOk);
        FUZZ_CHECK(count >= 0 && count <= TUdpSource::kMaxFrame);
        if (count == 0)
            break;
    }
    FUZZ_CHECK(udp.FramesWaiting() == 0);
    return 0;
}
