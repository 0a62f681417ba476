// Writing and reading a monitor file of 1,000,000 entries; the file lies in the page cache.
#include "files/monitor_file.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <string>

using namespace protmon;

namespace {

constexpr int kEntries = 1'000'000;

std::string BenchPath() {
    return (std::filesystem::temp_directory_path() / "protmon_bench_1m.bu5").string();
}

void FillList(TTelegramList& list) {
    list.SetBufferDepth(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        TTelEntry* e = list.NewTelEntry();
        e->Data[0] = static_cast<std::uint8_t>(1 + i % 254);
        e->Data[1] = static_cast<std::uint8_t>(i);
        e->Data[2] = static_cast<std::uint8_t>(i >> 8);
        e->Channel = static_cast<std::uint16_t>(i & 1);
        e->TimeStamp = static_cast<std::uint16_t>(i);
    }
}

void BM_SaveMonitorFile(benchmark::State& state) {
    TTelegramList list;
    FillList(list);
    const TCaptureSettings settings;
    for (auto _ : state) {
        const TMonitorFileResult r = SaveMonitorFile(BenchPath(), list, settings);
        if (!r.Ok())
            state.SkipWithError(r.Message.c_str());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_ReadMonitorFile(benchmark::State& state) {
    {
        TTelegramList list;
        FillList(list);
        SaveMonitorFile(BenchPath(), list, TCaptureSettings{});
    }
    for (auto _ : state) {
        TTelegramList list;
        TCaptureSettings settings;
        const TMonitorFileResult r = ReadMonitorFile(BenchPath(), list, settings);
        if (!r.Ok() || list.Count() != kEntries)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(list.At(kEntries - 1));
        state.PauseTiming(); // freeing the entries is not part of reading
        list.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
    std::remove(BenchPath().c_str());
}

} // namespace

BENCHMARK(BM_SaveMonitorFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadMonitorFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);
