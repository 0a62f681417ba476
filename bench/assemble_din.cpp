#include "capture/capture_link.h"
#include "capture/din_assembler.h"
#include "capture/memory_port_device.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <vector>

using namespace protmon;

namespace {

std::string WithCheck(const std::string& s, std::size_t from) {
    std::uint8_t x = 0;
    for (std::size_t i = from; i < s.size(); ++i)
        x ^= static_cast<std::uint8_t>(s[i]);
    return s + static_cast<char>(x < 0x20 ? x + 0x20 : x);
}

// About 1 MB of the frame forms a DIN66019II line carries: selects, requests, data blocks of
// fixed and counted length, acknowledgements, short forms, now and then garbage.
std::vector<std::uint8_t> MixedFrames() {
    const std::string stx(1, '\x02'), etx(1, '\x03');
    const std::vector<std::string> frames = {
        "\x04"
        "01",
        WithCheck("G1123456\x05", 0),
        WithCheck(stx + "G1DEADBEEF" + etx, 1),
        WithCheck("M101234\x05", 0),
        WithCheck(stx + "M10Cabcdefghijkl" + etx, 1),
        WithCheck(stx + "I2" + std::string(20, '7') + etx, 1),
        "13\x15",
        "1\x06",
        "14\x04",
        "0102\x05",
        WithCheck(stx + "0123FFFE" + etx, 1),
        WithCheck(stx +
                      "P10123456789"
                      "10" +
                      std::string(16, 'q') + etx,
                  1),
        "xx",
    };
    std::mt19937 rng(7);
    std::vector<std::uint8_t> out;
    while (out.size() < (1u << 20)) {
        const std::string& f = frames[rng() % frames.size()];
        out.insert(out.end(), f.begin(), f.end());
    }
    return out;
}

void BM_AssembleDin(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = MixedFrames();
    const std::size_t chunk = static_cast<std::size_t>(state.range(0));
    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link(device);
    TNoTrigger trigger;
    TSilentHost host;
    TDinAssembler assembler(list, link, trigger, host);
    TCaptureSettings settings;
    settings.PortText = "memory";
    link.OpenCapturePort(settings, 38400);
    for (auto _ : state) {
        for (std::size_t pos = 0; pos < stream.size(); pos += chunk) {
            const std::size_t n = std::min(chunk, stream.size() - pos);
            device.Feed(ByteView(stream.data() + pos, n));
            benchmark::DoNotOptimize(assembler.AssembleDin());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.counters["entries"] = list.Count();
}
BENCHMARK(BM_AssembleDin)->Arg(64)->Arg(4096)->Arg(1 << 20);

// Whole line-monitor frames, each holding one DIN66019II unit, handed out one per call.
class TFrameFeed : public ILineMonitorFrames {
public:
    TFrameFeed(TReceiveBuffer& buffer, const std::vector<std::vector<std::uint8_t>>& frames)
        : buffer_(buffer), frames_(frames) {}
    bool LineMonitorReceiveFrame() override {
        if (buffer_.Fill() == 0) {
            if (next_ == frames_.size())
                return false;
            const auto& f = frames_[next_++];
            buffer_.Append(ByteView(f.data(), f.size()));
        }
        return true;
    }
    void Rewind() { next_ = 0; }

private:
    TReceiveBuffer& buffer_;
    const std::vector<std::vector<std::uint8_t>>& frames_;
    std::size_t next_ = 0;
};

void BM_AssembleDinLineMonitor(benchmark::State& state) {
    // The same mix, cut into units by the frame finder and wrapped into frames.
    const std::vector<std::uint8_t> stream = MixedFrames();
    std::vector<std::vector<std::uint8_t>> frames;
    std::size_t bytes = 0;
    for (std::size_t pos = 0; pos < stream.size();) {
        const TDinFind f = FindDinFrame(ByteView(stream.data() + pos, stream.size() - pos));
        const std::size_t n =
            f.Result == TDinFind::Wait ? stream.size() - pos : static_cast<std::size_t>(f.Length);
        std::vector<std::uint8_t> frame = {0x1B, 0x40, 0x1B, static_cast<std::uint8_t>(n + 4),
                                           0,    0,    0};
        frame.insert(frame.end(), stream.begin() + static_cast<std::ptrdiff_t>(pos),
                     stream.begin() + static_cast<std::ptrdiff_t>(pos + n));
        bytes += frame.size();
        frames.push_back(std::move(frame));
        pos += n;
    }
    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link(device);
    TNoTrigger trigger;
    TSilentHost host;
    TDinAssembler assembler(list, link, trigger, host);
    TFrameFeed feed(link.Buffer(), frames);
    assembler.SetFrameSource(&feed);
    assembler.SetLineMonitorMode([] { return true; });
    for (auto _ : state) {
        feed.Rewind();
        benchmark::DoNotOptimize(assembler.AssembleDin());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["entries"] = list.Count();
}
BENCHMARK(BM_AssembleDinLineMonitor);

} // namespace
