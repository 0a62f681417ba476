#include "view/row_window.h"

#include <benchmark/benchmark.h>

namespace {

using namespace protmon;

// Read and write requests and responses over a few services, as a capture would hold them.
void FillList(TTelegramList& list, int count) {
    list.SetBufferDepth(count);
    for (int i = 0; i < count; ++i) {
        TTelEntry* e = list.NewTelEntry();
        e->Data[0] = static_cast<std::uint8_t>(1 + i % 30);
        e->Data[1] = static_cast<std::uint8_t>((i % 4) << 6 | (1 + i % 6));
        for (std::size_t k = 2; k < 12; ++k)
            e->Data[k] = static_cast<std::uint8_t>(i * 7 + k);
    }
}

void BM_RefreshRows(benchmark::State& state) {
    TTelegramList list;
    FillList(list, 1'000'000);
    TDecodeContext ctx;
    ctx.List = &list;
    TRowWindow view(list, [&ctx](int position, const TTelEntry&, TRowTexts& row) {
        DecodeTelegramRow(ctx, position, row);
    });
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
    TDecodeContext ctx;
    ctx.List = &list;
    TRowWindow view(list, [&ctx](int position, const TTelEntry&, TRowTexts& row) {
        DecodeTelegramRow(ctx, position, row);
    });
    view.SetVisibleRows(60);
    view.SetCapturing(true);
    for (auto _ : state) {
        // Ten telegrams per 1 ms tick is 10,000 per second.
        for (int i = 0; i < 10; ++i) {
            TTelEntry* e = list.NewTelEntry();
            e->Data[0] = static_cast<std::uint8_t>(1 + i);
            e->Data[1] = 0x41;
        }
        benchmark::DoNotOptimize(view.LiveTick(false));
    }
}
BENCHMARK(BM_LiveTick)->Unit(benchmark::kMicrosecond);

} // namespace
