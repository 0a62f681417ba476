#include "analysis/value_series.h"

#include "analysis/trend_decimate.h"
#include "analysis/trend_response_times.h"
#include "model/telegram_list.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <initializer_list>
#include <random>
#include <vector>

using namespace protmon;

namespace {

constexpr int kEntries = 1'000'000;

void Put(TTelegramList& list, std::int64_t& now, std::initializer_list<std::uint8_t> bytes) {
    TTelEntry* e = list.NewTelEntry();
    std::size_t i = 0;
    for (std::uint8_t b : bytes)
        e->Data[i++] = b;
    now += 2'000'000;
    e->ReceiveTime = now;
}

// A busy line: four drives polled for eight parameters by read requests, now and then a write, an
// error response or a receive error.
const TTelegramList& BusyLine() {
    static TTelegramList list = [] {
        TTelegramList l;
        l.SetBufferDepth(kEntries);
        std::mt19937 rng(3);
        std::int64_t now = 1'700'000'000'000'000'000;
        while (l.Count() < kEntries - 2) {
            const auto drive = static_cast<std::uint8_t>(2 + rng() % 4);
            const auto address = static_cast<std::uint8_t>(0x80 + rng() % 8);
            const auto v = static_cast<std::uint8_t>(rng());
            switch (rng() % 16) {
            case 0:
                Put(l, now, {drive, 0x40, 0x00, address, 0, 0, 0x10, v, 1});
                Put(l, now, {drive, 0xC0, 0});
                break;
            case 1:
                Put(l, now, {drive, 0x00, 0x00, address, 1});
                Put(l, now, {drive, 0x80, 0, 0, 0, 0, 3});
                break;
            case 2:
                Put(l, now, {0, kStatusBcc, 1});
                break;
            default:
                Put(l, now, {drive, 0x00, 0x00, address, 1});
                Put(l, now, {drive, 0x80, 0, 0, 0x13, v, 0});
                break;
            }
        }
        return l;
    }();
    return list;
}

void BM_ValueSeriesOneParameter(benchmark::State& state) {
    const TTelegramList& list = BusyLine();
    TTrendContext ctx;
    std::size_t points = 0;
    for (auto _ : state) {
        TValueSeriesBuilder builder({3, 0x81});
        builder.Update(list, ctx);
        points = builder.Series().Points.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_ValueSeriesOneParameter)->Unit(benchmark::kMillisecond);

void BM_ParameterInventory(benchmark::State& state) {
    const TTelegramList& list = BusyLine();
    TTrendContext ctx;
    for (auto _ : state) {
        TParameterInventory inventory;
        inventory.Update(list, ctx);
        benchmark::DoNotOptimize(inventory.Counts().size());
    }
}
BENCHMARK(BM_ParameterInventory)->Unit(benchmark::kMillisecond);

void BM_ResponseTimes(benchmark::State& state) {
    const TTelegramList& list = BusyLine();
    TTrendContext ctx;
    for (auto _ : state) {
        TResponseTimeSeries series;
        series.Update(list, ctx);
        benchmark::DoNotOptimize(series.Drives().size());
    }
}
BENCHMARK(BM_ResponseTimes)->Unit(benchmark::kMillisecond);

// 100,000 points of a noisy curve onto 1000 pixel columns.
void BM_Decimate100k(benchmark::State& state) {
    std::vector<double> x(100'000), y(100'000);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = static_cast<double>(i) * 0.01;
        y[i] = std::sin(x[i]) + 0.1 * std::sin(x[i] * 97.0);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(DecimateMinMax(x, y, 0, x.back(), 1000).size());
}
BENCHMARK(BM_Decimate100k)->Unit(benchmark::kMicrosecond);

} // namespace
