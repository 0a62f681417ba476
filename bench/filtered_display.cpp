#include "filter/filter_match.h"
#include "filter/filtered_view.h"
#include "model/telegram_list.h"

#include <benchmark/benchmark.h>
#include <cstdint>

using namespace protmon;

namespace {

constexpr int kEntries = 1'000'000;

// A recording of request/response pairs over several drives and addresses, with a receive
// error now and then; about one pair in sixteen is for the address the filter looks for.
void Fill(TTelegramList& list) {
    list.SetBufferDepth(kEntries);
    std::uint32_t seed = 12345;
    for (int i = 0; i < kEntries; i += 2) {
        seed = seed * 1664525u + 1013904223u;
        const auto id = static_cast<std::uint8_t>(0x10 + (seed >> 28));
        const auto hi = static_cast<std::uint8_t>(0x20 + ((seed >> 20) & 0x0F));
        TTelEntry* req = list.NewTelEntry();
        req->Data = {id, 0x00, hi, 0x00, static_cast<std::uint8_t>(id ^ hi)};
        TTelEntry* rsp = list.NewTelEntry();
        if ((seed & 0xFF) == 7)
            rsp->Data = {0, kStatusBcc, 2, 0x55, 0xAA};
        else
            rsp->Data = {id, 0x80, 0, 0, 0x12, 0x34, 0, 0};
    }
}

TTelegramList& List() {
    static TTelegramList list;
    if (list.Empty())
        Fill(list);
    return list;
}

void BM_BuildFilteredDisplay(benchmark::State& state) {
    TTelegramList& list = List();
    TFilterCriteria include, exclude;
    include.Values[kFieldAddress] = {false, "2000h"};
    include.FormDeactivate();
    TSilentHost host;
    TFilteredView view(list, include, exclude, host);
    view.SetFilterDisplay(true);
    for (auto _ : state) {
        view.BuildFilteredDisplay();
        benchmark::DoNotOptimize(view.FilteredCount());
    }
    state.counters["shown"] = view.FilteredCount();
}
BENCHMARK(BM_BuildFilteredDisplay)->Unit(benchmark::kMillisecond);

void BM_BuildWithExcludePass(benchmark::State& state) {
    TTelegramList& list = List();
    TFilterCriteria include, exclude;
    include.Values[kFieldAddress] = {false, "2000h"};
    include.FormDeactivate();
    exclude.IDLow = 1; // "0"
    exclude.FormDeactivate();
    TSilentHost host;
    TFilteredView view(list, include, exclude, host);
    view.SetFilterDisplay(true);
    for (auto _ : state) {
        view.BuildFilteredDisplay();
        benchmark::DoNotOptimize(view.FilteredCount());
    }
    state.counters["shown"] = view.FilteredCount();
}
BENCHMARK(BM_BuildWithExcludePass)->Unit(benchmark::kMillisecond);

// The same test with the field texts read for every entry, for comparison.
void BM_MatchReadingTextsPerEntry(benchmark::State& state) {
    TTelegramList& list = List();
    TFilterCriteria include;
    include.Values[kFieldAddress] = {false, "2000h"};
    for (auto _ : state) {
        int matched = 0;
        for (int i = 0; i < list.Count(); ++i)
            matched += MatchTelegram(include, list.At(i)->Data) != kNoMatch;
        benchmark::DoNotOptimize(matched);
    }
}
BENCHMARK(BM_MatchReadingTextsPerEntry)->Unit(benchmark::kMillisecond);

} // namespace
