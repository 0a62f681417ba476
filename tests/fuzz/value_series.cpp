// Value series and the parameter inventory over arbitrary lists, with raw values and with the
// sample description set: built as the list grows and afresh, both must agree.
#include "analysis/value_series.h"

#include "descriptions/cfg_list.h"
#include "fuzz_check.h"
#include "fuzz_entries.h"

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

bool SamePoints(const TValueSeries& a, const TValueSeries& b) {
    if (a.TimeBase != b.TimeBase || a.Points.size() != b.Points.size())
        return false;
    for (std::size_t i = 0; i < a.Points.size(); ++i) {
        const TValuePoint& p = a.Points[i];
        const TValuePoint& q = b.Points[i];
        // Values compare bitwise-equal or both NaN: the same computation on the same input.
        const bool sameValue = p.Value == q.Value || (p.Value != p.Value && q.Value != q.Value);
        if (p.Position != q.Position || p.Time != q.Time || !sameValue || p.Raw != q.Raw ||
            p.Text != q.Text)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    TTrendContext ctx;
    ctx.Selection = static_cast<Protocol>(in.ConsumeIntegralInRange<int>(0, 2));
    ctx.SourceFlags = in.ConsumeIntegral<std::uint8_t>();
    ctx.TimeStampResolution = in.ConsumeIntegralInRange<int>(0, 1000);
    ctx.Language = in.ConsumeIntegralInRange<int>(0, 2);
    ctx.DecimalSeparator = in.ConsumeBool() ? ',' : '.';
    const bool withSet = in.ConsumeBool();
    ctx.Set = withSet ? SampleSet() : nullptr;
    FUZZ_CHECK(!withSet || ctx.Set != nullptr);
    const TSeriesKey key{in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint16_t>()};
    const int depth = in.ConsumeIntegralInRange<int>(kMinBufferDepth, 40);

    // Updated after every few entries, as the trend windows are during capture.
    TTelegramList list;
    list.SetBufferDepth(depth);
    TValueSeriesBuilder live(key);
    TParameterInventory liveInventory;
    std::int64_t clock = 0;
    while (in.remaining_bytes() > 0) {
        const int tick = in.ConsumeIntegralInRange<int>(1, 4);
        for (int i = 0; i < tick && in.remaining_bytes() > 0; ++i)
            fuzz::FillEntry(in, *list.NewTelEntry(), clock);
        live.Update(list, ctx);
        liveInventory.Update(list, ctx);
    }
    list.UnwrapTelegramList();
    live.Update(list, ctx);
    liveInventory.Update(list, ctx);

    TValueSeriesBuilder fresh(key);
    fresh.Update(list, ctx);
    TParameterInventory inventory;
    inventory.Update(list, ctx);
    FUZZ_CHECK(SamePoints(live.Series(), fresh.Series()));

    const std::vector<TParameterCount> counts = inventory.Counts();
    const std::vector<TParameterCount> liveCounts = liveInventory.Counts();
    FUZZ_CHECK(counts.size() == liveCounts.size());
    int keyCount = 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        FUZZ_CHECK(counts[i].Drive == liveCounts[i].Drive);
        FUZZ_CHECK(counts[i].Address == liveCounts[i].Address);
        FUZZ_CHECK(counts[i].Points == liveCounts[i].Points && counts[i].Points > 0);
        if (i > 0)
            FUZZ_CHECK(counts[i - 1].Drive < counts[i].Drive ||
                       (counts[i - 1].Drive == counts[i].Drive &&
                        counts[i - 1].Address < counts[i].Address));
        if (counts[i].Drive == key.Drive && counts[i].Address == key.Address)
            keyCount = counts[i].Points;
    }

    // Each point is a value the inventory counted, in list order; without a description every
    // counted value is a point.
    const TValueSeries& s = fresh.Series();
    FUZZ_CHECK(static_cast<int>(s.Points.size()) <= keyCount);
    if (!withSet)
        FUZZ_CHECK(static_cast<int>(s.Points.size()) == keyCount);
    for (std::size_t i = 0; i < s.Points.size(); ++i) {
        const TValuePoint& p = s.Points[i];
        FUZZ_CHECK(p.Position >= 0 && p.Position < list.Count());
        FUZZ_CHECK(i == 0 || s.Points[i - 1].Position < p.Position);
        if (s.TimeBase == TimeBasis::Position)
            FUZZ_CHECK(p.Time == p.Position);
        const auto hit = FindParameterValue(list, p.Position, ctx.SourceFlags);
        // A described parameter may read a telegram without address byte as 16 bits, as the
        // decoder's value annotation does.
        const bool sameRaw =
            hit.has_value() &&
            (hit->Raw == p.Raw ||
             (withSet &&
              static_cast<std::int32_t>(static_cast<std::uint32_t>(hit->Raw) & 0xFFFF) == p.Raw));
        FUZZ_CHECK(hit.has_value() && hit->Drive == key.Drive && hit->Address == key.Address &&
                   sameRaw);
    }
    return 0;
}
