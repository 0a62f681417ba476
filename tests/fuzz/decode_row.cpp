// DecodeTelegramRow on arbitrary entries under each protocol selection, with and without the
// sample description set, and the request search behind it.
#include "decode/decode_row.h"

#include "descriptions/cfg_list.h"
#include "fuzz_check.h"
#include "model/telegram_list.h"

#include <fstream>
#include <fuzzer/FuzzedDataProvider.h>
#include <iterator>
#include <vector>

using namespace protmon;

namespace {

const TCfgRec* SampleSet() {
    static TZXCfgList sets;
    static const TCfgRec* set = [] {
        std::ifstream in(PROTMON_TEST_DATA "/Para0001.bin", std::ios::binary);
        const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        const std::int32_t index = sets.LoadDescriptionImage(bytes, "Para0001.bin", {}, false);
        return sets.GetCfg(index);
    }();
    return set;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    TDecodeContext ctx;
    ctx.Selection = static_cast<Protocol>(in.ConsumeIntegralInRange<int>(0, 2));
    ctx.HexDisplay = in.ConsumeBool();
    ctx.SourceFlags = in.ConsumeIntegral<std::uint8_t>();
    ctx.Language = in.ConsumeIntegralInRange<int>(0, 2);
    ctx.DecimalSeparator = in.ConsumeBool() ? ',' : '.';
    const bool withSet = in.ConsumeBool();
    ctx.DecoderSet = withSet ? SampleSet() : nullptr;
    FUZZ_CHECK(!withSet || ctx.DecoderSet != nullptr);
    const int depth = in.ConsumeIntegralInRange<int>(kMinBufferDepth, 40);

    // The rest is entries: channel, time stamp and all 52 data bytes each.
    TTelegramList list;
    list.SetBufferDepth(depth);
    while (in.remaining_bytes() > 0) {
        TTelEntry* e = list.NewTelEntry();
        e->Channel = in.ConsumeIntegral<std::uint16_t>();
        e->TimeStamp = in.ConsumeIntegral<std::uint16_t>();
        const auto bytes = in.ConsumeBytes<std::uint8_t>(kTelDataSize);
        std::copy(bytes.begin(), bytes.end(), e->Data.begin());
    }
    list.UnwrapTelegramList();
    ctx.List = &list;
    ctx.MarkIndex = list.Count() / 2;

    TRowTexts row;
    for (int i = -1; i <= list.Count(); ++i) {
        const TTelEntry before = list.At(i) ? *list.At(i) : TTelEntry{};
        const bool ok = DecodeTelegramRow(ctx, i, row);
        FUZZ_CHECK(ok == (i >= 0 && i < list.Count()));
        if (ok) {
            FUZZ_CHECK(list.At(i)->Data == before.Data);
            const int request = FindRequestForResponse(list, i, ctx.SourceFlags);
            FUZZ_CHECK(request == -1 || (request < i && request >= i - 9));
        }
    }
    return 0;
}
