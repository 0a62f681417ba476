// Row decoding speed: the list view decodes every visible row on each redraw and the clipboard
// copy decodes whole recordings, so one row must cost well under a microsecond.
#include "decode/decode_row.h"

#include "descriptions/cfg_list.h"
#include "model/telegram_list.h"

#include <benchmark/benchmark.h>
#include <iterator>
#include <random>

using namespace protmon;

namespace {

constexpr int kEntries = 4096;
constexpr int kGroups = 20;
constexpr int kParamsPerGroup = 100;

// Parameter addresses of the description set: 100 in each group of 128 addresses.
std::uint16_t ParamAddress(unsigned n) {
    return static_cast<std::uint16_t>((n / kParamsPerGroup) * 0x80 + n % kParamsPerGroup + 1);
}

void FillTelegram(TTelEntry& e, std::mt19937& rng, int serviceByte) {
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& b : e.Data)
        b = static_cast<std::uint8_t>(byte(rng));
    e.Data[0] = static_cast<std::uint8_t>(1 + rng() % 15);
    e.Data[1] = static_cast<std::uint8_t>(serviceByte);
    const std::uint16_t address = ParamAddress(rng() % (kGroups * kParamsPerGroup));
    e.Data[2] = static_cast<std::uint8_t>(address >> 8);
    e.Data[3] = static_cast<std::uint8_t>(address);
    // Counted texts of a realistic length; errors in one response of eight.
    const int service = serviceByte & 0x3F;
    if (serviceByte >= 0x80 && (service == 6 || service == 11))
        e.Data[2] = static_cast<std::uint8_t>(rng() % 20);
    if (serviceByte >= 0x80 && (service == 9 || service == 12))
        e.Data[7] = static_cast<std::uint8_t>(rng() % 20);
    if (serviceByte >= 0x80 && rng() % 8 != 0)
        for (int k : {2, 6, 10, 12, 14, 16, 20, 28})
            if (serviceByte >= 0xC0 ? k == 2 : k >= 6)
                e.Data[static_cast<std::size_t>(k)] = 0;
    if ((service == 50 || service == 53)) {
        e.Data[10] = static_cast<std::uint8_t>((address >> 8) | (rng() % 2 ? 0x80 : 0));
        e.Data[11] = static_cast<std::uint8_t>(address);
    }
}

// Requests followed by their responses over every class and service, with a status entry now and
// then, as a recording of a busy line looks.
void FillList(TTelegramList& list) {
    std::mt19937 rng(7);
    int service = 0;
    while (list.Count() < kEntries) {
        if (list.Count() % 32 == 31) {
            TTelEntry* e = list.NewTelEntry();
            e->Data.fill(0);
            e->Data[1] = static_cast<std::uint8_t>(rng() % 2 ? 1 : 10);
            continue;
        }
        const int requestClass = (service / 64) % 2;
        const int number = service % 64;
        TTelEntry* request = list.NewTelEntry();
        FillTelegram(*request, rng, (requestClass << 6) | number);
        TTelEntry* response = list.NewTelEntry();
        FillTelegram(*response, rng, ((requestClass + 2) << 6) | number);
        response->Data[0] = request->Data[0];
        ++service;
    }
}

void BuildDescriptionSet(TCfgRec& set) {
    for (int g = 0; g < kGroups; ++g) {
        TGrpRec group;
        group.BaseAddress = static_cast<std::int16_t>(g * 0x80);
        group.Name = group.DisplayName = "Group";
        for (int p = 0; p < kParamsPerGroup; ++p) {
            TParaRec para;
            para.Address = static_cast<std::int16_t>(ParamAddress(g * kParamsPerGroup + p));
            para.Ident = "P" + std::to_string(p);
            para.Name = para.DisplayName = "Parameter name " + std::to_string(p);
            para.Multiplier = 1;
            para.Divisor = 10;
            para.Format = MakeFormat(21, 0, 1);
            group.Params.Add(std::move(para));
        }
        set.Groups.Add(std::move(group));
    }
    set.BuildIndex();
}

void DecodeRows(benchmark::State& state, const TDecodeContext& ctx) {
    TRowTexts row;
    int position = 0;
    for (auto _ : state) {
        DecodeTelegramRow(ctx, position, row);
        benchmark::DoNotOptimize(row.Additional.data());
        if (++position == ctx.List->Count())
            position = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_DecodeRowPlain(benchmark::State& state) {
    TTelegramList list;
    FillList(list);
    TDecodeContext ctx;
    ctx.List = &list;
    ctx.HexDisplay = state.range(0) != 0;
    ctx.MarkIndex = 100;
    DecodeRows(state, ctx);
}
BENCHMARK(BM_DecodeRowPlain)->Arg(0)->Arg(1);

void BM_DecodeRowWithDescriptions(benchmark::State& state) {
    TTelegramList list;
    FillList(list);
    TCfgRec set;
    BuildDescriptionSet(set);
    TDecodeContext ctx;
    ctx.List = &list;
    ctx.DecoderSet = &set;
    DecodeRows(state, ctx);
}
BENCHMARK(BM_DecodeRowWithDescriptions);

// Only traffic that names described parameters: every request and every answered read carries an
// annotation.
void BM_DecodeRowParameterTraffic(benchmark::State& state) {
    TTelegramList list;
    std::mt19937 rng(11);
    constexpr int kServiceBytes[] = {0x00, 0x01, 0x40, 0x41, 0x72, 0x32};
    while (list.Count() < kEntries) {
        const int serviceByte = kServiceBytes[rng() % std::size(kServiceBytes)];
        TTelEntry* request = list.NewTelEntry();
        FillTelegram(*request, rng, serviceByte);
        TTelEntry* response = list.NewTelEntry();
        FillTelegram(*response, rng, serviceByte | 0x80);
        response->Data[0] = request->Data[0];
        response->Data[6] = 0;
        response->Data[14] = 0;
    }
    TCfgRec set;
    BuildDescriptionSet(set);
    TDecodeContext ctx;
    ctx.List = &list;
    ctx.DecoderSet = &set;
    DecodeRows(state, ctx);
}
BENCHMARK(BM_DecodeRowParameterTraffic);

void BM_DecodeRowRaw(benchmark::State& state) {
    TTelegramList list;
    std::mt19937 rng(3);
    while (list.Count() < kEntries) {
        TTelEntry* e = list.NewTelEntry();
        for (auto& b : e->Data)
            b = static_cast<std::uint8_t>(rng());
        e->Data[0] = static_cast<std::uint8_t>(1 + rng() % 16);
    }
    TDecodeContext ctx;
    ctx.List = &list;
    ctx.Selection = Protocol::Raw;
    DecodeRows(state, ctx);
}
BENCHMARK(BM_DecodeRowRaw);

} // namespace
