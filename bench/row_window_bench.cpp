#include "decode/row_window.h"

#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

using namespace protmon;

// A decoder doing roughly the formatting work of a real row: four short texts per entry.
void HexRow(int position, const TTelEntry& e, TRowCells& row) {
    char buf[64];
    row.Caption = std::to_string(position);
    std::snprintf(buf, sizeof buf, "%u", static_cast<unsigned>(e.Data[0]));
    row.Id = buf;
    row.Service = "Req Read  Service 12";
    std::snprintf(buf, sizeof buf, "Addr %02X%02X Set %u Value %02X%02X%02X%02X", e.Data[2],
                  e.Data[3], e.Data[4], e.Data[5], e.Data[6], e.Data[7], e.Data[8]);
    row.Additional = buf;
}

void BM_RefreshRows(benchmark::State& state) {
    TTelegramList list;
    list.SetBufferDepth(1'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        list.NewTelEntry()->Data[0] = static_cast<std::uint8_t>(i);
    TRowWindow view(list, HexRow);
    view.SetVisibleRows(60);
    int position = 0;
    for (auto _ : state) {
        position = (position + 7919) % view.ScrollMax();
        view.SetScrollPosition(position);
        benchmark::DoNotOptimize(view.Rows().data());
    }
}
BENCHMARK(BM_RefreshRows)->Unit(benchmark::kMicrosecond);

void BM_LiveTick(benchmark::State& state) {
    TTelegramList list;
    TRowWindow view(list, HexRow);
    view.SetVisibleRows(60);
    view.SetCapturing(true);
    for (auto _ : state) {
        // Ten telegrams per 1 ms tick is 10,000 per second.
        for (int i = 0; i < 10; ++i)
            list.NewTelEntry()->Data[0] = static_cast<std::uint8_t>(i);
        benchmark::DoNotOptimize(view.LiveTick(false));
    }
}
BENCHMARK(BM_LiveTick)->Unit(benchmark::kMicrosecond);

} // namespace
