#include "capture/capture_link.h"
#include "capture/memory_port_device.h"
#include "capture/trx5_assembler.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

// Counts heap allocations so the full-ring benchmark can show that it makes none. The replaced
// operators pair malloc with free, which GCC cannot see through inlined allocators.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<long> gAllocations{0};
void* operator new(std::size_t n) {
    ++gAllocations;
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace protmon;

namespace {

// About 1 MB of valid telegrams of assorted services and lengths, as on a busy line.
std::vector<std::uint8_t> MixedTelegrams() {
    const std::vector<std::vector<std::uint8_t>> bodies = {
        {0x10, 0x00, 0x20, 0x00, 0x01},
        {0x10, 0x80, 0x20, 0x00, 0x01, 0x00, 0x0A},
        {0x02, 0x40, 0x16, 0x0F, 0x01, 0x23, 0x45, 0x67, 0xFF},
        {0x02, 0xC0, 0x00},
        {0x01, 0x10},
        {0x05, 0x86, 0x03, 0x11, 0x22, 0x33, 0x44},
        {0x07, 0xB8, 1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
         14,   15,   16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27},
    };
    std::mt19937 rng(1);
    std::vector<std::uint8_t> out;
    while (out.size() < (1u << 20)) {
        std::vector<std::uint8_t> t = bodies[rng() % bodies.size()];
        std::uint8_t bcc = 0;
        for (std::uint8_t b : t)
            bcc ^= b;
        t.push_back(bcc);
        out.insert(out.end(), t.begin(), t.end());
    }
    return out;
}

void BM_AssembleTrx5(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = MixedTelegrams();
    const std::size_t chunk = static_cast<std::size_t>(state.range(0));
    TTelegramList list;
    TMemoryPortDevice device;
    TCaptureLink link(device);
    TNoTrigger trigger;
    TTrx5Assembler assembler(list, link, trigger);
    TCaptureSettings settings;
    settings.PortText = "memory";
    link.OpenCapturePort(settings, 38400);
    for (auto _ : state) {
        // One tick per chunk, as the poll loop would see the bytes arrive.
        for (std::size_t pos = 0; pos < stream.size(); pos += chunk) {
            const std::size_t n = std::min(chunk, stream.size() - pos);
            device.Feed(ByteView(stream.data() + pos, n));
            benchmark::DoNotOptimize(assembler.AssembleTrx5());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.counters["entries"] = list.Count();
}
BENCHMARK(BM_AssembleTrx5)->Arg(64)->Arg(4096)->Arg(1 << 20);

// Full ring: every entry is reused in place, nothing is allocated.
void BM_NewTelEntryFullRing(benchmark::State& state) {
    TTelegramList list;
    list.SetBufferDepth(static_cast<int>(state.range(0)));
    for (int i = 0; i < list.Capacity(); ++i)
        list.NewTelEntry();
    const long before = gAllocations.load();
    for (auto _ : state) {
        TTelEntry* e = list.NewTelEntry();
        e->Data[0] = 1;
        benchmark::DoNotOptimize(e);
    }
    state.counters["allocations"] = static_cast<double>(gAllocations.load() - before);
}
BENCHMARK(BM_NewTelEntryFullRing)->Arg(10)->Arg(10000)->Arg(1000000);

} // namespace
