// Export of 1,000,000 entries to pcapng (row texts as packet comments included) and import back;
// the file lies in the page cache. Target: each at most 1 s.
#include "files/pcapng_recording.h"
#include "files/recording_file.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <string>

using namespace protmon;

namespace {

constexpr int kEntries = 1'000'000;

std::string BenchPath() {
    return (std::filesystem::temp_directory_path() / "protmon_bench_1m.pcapng").string();
}

// Line-monitor traffic: read requests of service 0 answered on the other channel.
void FillList(TTelegramList& list, TCaptureSettings& settings) {
    settings.TimeStampResolution = 8;
    settings.SourceFlags = kSourceLineMonitor;
    list.SetBufferDepth(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        TTelEntry* e = list.NewTelEntry();
        const bool response = (i & 1) != 0;
        const std::uint8_t bytes[8] = {0x10,
                                       static_cast<std::uint8_t>(response ? 0x80 : 0x00),
                                       0x16,
                                       0x0F,
                                       static_cast<std::uint8_t>(i),
                                       0x2A,
                                       0,
                                       0};
        std::uint8_t bcc = 0;
        const int length = response ? 8 : 6;
        for (int b = 0; b < length - 1; ++b)
            bcc ^= (e->Data[static_cast<std::size_t>(b)] = bytes[b]);
        e->Data[static_cast<std::size_t>(length - 1)] = bcc;
        e->Channel = response ? 1 : 0;
        e->TimeStamp = static_cast<std::uint16_t>(i * 37);
    }
}

void BM_ExportPcapng(benchmark::State& state) {
    TTelegramList list;
    TCaptureSettings settings;
    FillList(list, settings);
    for (auto _ : state) {
        const TMonitorFileResult r = ExportPcapng(BenchPath(), list, settings, TExportOptions{});
        if (!r.Ok())
            state.SkipWithError(r.Message.c_str());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_ImportPcapng(benchmark::State& state) {
    {
        TTelegramList list;
        TCaptureSettings settings;
        FillList(list, settings);
        ExportPcapng(BenchPath(), list, settings, TExportOptions{});
    }
    for (auto _ : state) {
        TTelegramList list;
        TCaptureSettings settings;
        const TMonitorFileResult r = ReadRecording(BenchPath(), list, settings);
        if (!r.Ok() || list.Count() != kEntries)
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(list.At(kEntries - 1));
        state.PauseTiming(); // freeing the entries is not part of importing
        list.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
    std::remove(BenchPath().c_str());
}

} // namespace

BENCHMARK(BM_ExportPcapng)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ImportPcapng)->Unit(benchmark::kMillisecond)->MinTime(1.0);
