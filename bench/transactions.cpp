// Transaction analysis: the cost of one entry appended during capture (the table full, so every
// append also drops the oldest record) and the rebuild of a 1,000,000-entry list with its
// statistics. Target: the rebuild within 100 ms.
#include "analysis/transaction_stats.h"
#include "analysis/transaction_table.h"
#include "model/telegram_list.h"

#include <benchmark/benchmark.h>

using namespace protmon;

namespace {

constexpr int kMillion = 1'000'000;

// Request/response traffic over 30 drives with line-monitor stamps; every 7th request goes
// unanswered and every 11th response carries an error.
void FillTraffic(TTelegramList& list, int count) {
    list.SetBufferDepth(count);
    for (int i = 0; i < count; ++i) {
        TTelEntry* e = list.NewTelEntry();
        const int pair = i / 2;
        const bool response = i % 2 == 1 && pair % 7 != 0;
        e->Data[0] = static_cast<std::uint8_t>(1 + pair % 30);
        e->Data[1] = static_cast<std::uint8_t>((response ? 0x80 : 0x00) | (pair % 3));
        e->Data[6] = static_cast<std::uint8_t>(response && pair % 11 == 0 ? 3 : 0);
        e->Channel = static_cast<std::uint16_t>(i % 2);
        e->TimeStamp = static_cast<std::uint16_t>(i * 37);
        e->ReceiveTime = 1'700'000'000'000'000'000 + std::int64_t{i} * 250'000;
    }
}

const TTelegramList& Traffic() {
    static TTelegramList list;
    if (list.Empty())
        FillTraffic(list, kMillion);
    return list;
}

const TTransactionSettings kSettings{Protocol::Trx5, 0, 8};

void BM_AppendPerEntry(benchmark::State& state) {
    const TTelegramList& list = Traffic();
    TTransactionTable table;
    table.Reset(kSettings, static_cast<int>(state.range(0)));
    int p = 0;
    for (auto _ : state) {
        table.Append(*list.At(p));
        p = p + 1 == list.Count() ? 0 : p + 1;
    }
    benchmark::DoNotOptimize(table.Size());
}
BENCHMARK(BM_AppendPerEntry)->Arg(10'000)->Arg(kMillion);

void BM_RebuildMillion(benchmark::State& state) {
    const TTelegramList& list = Traffic();
    TTransactionTable table;
    for (auto _ : state) {
        table.Rebuild(list, kSettings);
        benchmark::DoNotOptimize(table.Size());
    }
}
BENCHMARK(BM_RebuildMillion)->Unit(benchmark::kMillisecond);

void BM_StatisticsMillion(benchmark::State& state) {
    TTransactionTable table;
    table.Rebuild(Traffic(), kSettings);
    for (auto _ : state) {
        const TTransactionStats stats = ComputeStatistics(table);
        benchmark::DoNotOptimize(stats.Entries);
    }
}
BENCHMARK(BM_StatisticsMillion)->Unit(benchmark::kMillisecond);

void BM_RebuildAndStatisticsMillion(benchmark::State& state) {
    const TTelegramList& list = Traffic();
    TTransactionTable table;
    for (auto _ : state) {
        table.Rebuild(list, kSettings);
        const TTransactionStats stats = ComputeStatistics(table);
        benchmark::DoNotOptimize(stats.Entries);
    }
}
BENCHMARK(BM_RebuildAndStatisticsMillion)->Unit(benchmark::kMillisecond);

} // namespace
