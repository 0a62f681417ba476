// The work of `protmon-cli decode` on 1,000,000 entries without the file read (measured by
// monitor_file_bench): row texts, escaping, and writing the lines to /dev/null.
#include "decode/decode_row.h"
#include "files/row_export.h"
#include "model/telegram_list.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace protmon;

namespace {

constexpr int kEntries = 1'000'000;

// A mix of requests, responses with values, errors and texts, and status entries.
const std::vector<std::vector<std::uint8_t>> kTelegrams = {
    {0x01, 0x10, 0x11},
    {0x10, 0x00, 0x20, 0x00, 0x01, 0x31},
    {0x02, 0x40, 0x16, 0x0F, 0x01, 0x23, 0x45, 0x67, 0xFF, 0xA4},
    {0x02, 0x80, 0x00, 0x00, 0x00, 0x2A, 0x00, 0xA8},
    {0x02, 0xC0, 0x05, 0xC7},
    {0x02, 0x86, 0x04, 0x7F, 0x5C, 0xB0, 0x09, 0x00, 0x58},
    {0x00, 0x01, 0x05, 0xFF, 0xFF, 0x01, 0x10, 0x11},
};

void FillList(TTelegramList& list) {
    list.SetBufferDepth(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        const auto& t = kTelegrams[static_cast<std::size_t>(i) % kTelegrams.size()];
        std::memcpy(list.NewTelEntry()->Data.data(), t.data(), t.size());
    }
}

void BM_DecodeToDevNull(benchmark::State& state) {
    TTelegramList list;
    FillList(list);
    std::FILE* out = std::fopen("/dev/null", "wb");
    TDecodeContext ctx;
    ctx.List = &list;
    ctx.HexDisplay = state.range(0) != 0;
    TRowTexts row;
    std::string text;
    text.reserve(2 << 20);
    for (auto _ : state) {
        for (int p = 0; p < list.Count(); ++p) {
            DecodeTelegramRow(ctx, p, row);
            AppendRowLine(text, row.Caption, row.Id, row.Service, row.Additional);
            if (text.size() >= (1 << 20)) {
                std::fwrite(text.data(), 1, text.size(), out);
                text.clear();
            }
        }
        std::fwrite(text.data(), 1, text.size(), out);
        text.clear();
    }
    std::fclose(out);
    state.SetItemsProcessed(state.iterations() * kEntries);
}

} // namespace

BENCHMARK(BM_DecodeToDevNull)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
