#include "analysis/value_series.h"

#include "analysis/transaction_table.h"
#include "decode/decode_row.h"
#include "decode/formatters.h"
#include "decode/service_tables.h"
#include "descriptions/cfg_list.h"
#include "descriptions/unit_table.h"
#include "model/telegram_list.h"

namespace protmon {

namespace {

constexpr std::uint8_t kNoAddressByte = 255;
constexpr std::uint16_t kProcessParameterWrite = 0x8000;

ByteView TelegramView(const TTelEntry& e) {
    return ByteView(e.Data.data(), kMaxStoredTelegram);
}

std::optional<TValueHit> RequestValue(const TServiceRow& row, ByteView d) {
    TValueHit hit;
    hit.Drive = d.at(0);
    hit.NoAddressByte = d.at(0) == kNoAddressByte;
    if (row.Request == RequestNote::NameValue) {
        hit.Address = MakeWordValue(d, 2);
        hit.Raw = static_cast<std::int32_t>(MakeLongValue(d, 4));
        hit.WidthRule = true;
        return hit;
    }
    if (row.Request == RequestNote::ProcessParameter) {
        const std::uint16_t w = MakeWordValue(d, 10);
        // Only a parameter write carries a value; a read asks for one.
        if ((w & kProcessParameterWrite) == 0 || (w & 0x7FFF) == 0)
            return std::nullopt;
        hit.Address = w & 0x7FFF;
        hit.Raw = static_cast<std::int32_t>(MakeLongValue(d, 12));
        return hit;
    }
    return std::nullopt;
}

std::optional<TValueHit> ResponseValue(const TTelegramList& list, int position,
                                       const TServiceRow& row, ByteView d,
                                       std::uint32_t sourceFlags, int onlyDrive) {
    if (row.Response == ResponseNote::None || RowShowsError(row, d))
        return std::nullopt;
    if (onlyDrive >= 0 && RequestAddressFor(d.at(0), sourceFlags) != onlyDrive)
        return std::nullopt;
    // An orphan's value belongs to no known request: a lost request's response would otherwise
    // be taken as the value of an older request's parameter.
    const int requestPos = PairedRequestPosition(list, position, sourceFlags);
    if (requestPos < 0)
        return std::nullopt;
    const ByteView request = TelegramView(*list.At(requestPos));
    TValueHit hit;
    hit.Drive = request.at(0);
    hit.NoAddressByte = d.at(0) == kNoAddressByte;
    if (row.Response == ResponseNote::ReadValue) {
        hit.Address = MakeWordValue(request, 2);
        hit.Raw = static_cast<std::int32_t>(MakeLongValue(d, 2));
        hit.WidthRule = true;
        return hit;
    }
    const std::uint16_t address = MakeWordValue(request, 10);
    // Only a process+parameter read answers with the parameter's value.
    if (address == 0 || address >= kProcessParameterWrite)
        return std::nullopt;
    hit.Address = address;
    hit.Raw = static_cast<std::int32_t>(MakeLongValue(d, 10));
    return hit;
}

} // namespace

TTrendContext MakeTrendContext(const TDecodeContext& decode, int timeStampResolution) {
    TTrendContext ctx;
    ctx.Selection = decode.Selection;
    ctx.SourceFlags = decode.SourceFlags;
    ctx.TimeStampResolution = timeStampResolution;
    ctx.Set = decode.DecoderSet;
    ctx.Language = decode.Language;
    ctx.DecimalSeparator = decode.DecimalSeparator;
    return ctx;
}

bool RowShowsError(const TServiceRow& row, ByteView d) {
    if (row.Done == Completion::None)
        return false;
    const std::size_t pos =
        row.ErrorCounted ? row.ErrorPos + 1u + d.at(row.ErrorPos) : row.ErrorPos;
    return d.at(pos) != 0;
}

std::optional<TValueHit> FindParameterValue(const TTelegramList& list, int position,
                                            std::uint32_t sourceFlags, int onlyDrive) {
    const TTelEntry* e = list.At(position);
    if (e == nullptr)
        return std::nullopt;
    const ByteView d = TelegramView(*e);
    const std::uint8_t address = d.at(0);
    if (address == 0) // status entry
        return std::nullopt;
    const std::uint8_t service = d.at(1);
    const TServiceRow* row = FindServiceRow(SelectServiceTable(service), service & 0x3F);
    if (row == nullptr)
        return std::nullopt;
    if ((service >> 6) < 2) {
        if (onlyDrive >= 0 && address != onlyDrive)
            return std::nullopt;
        return RequestValue(*row, d);
    }
    return ResponseValue(list, position, *row, d, sourceFlags, onlyDrive);
}

TValueScale DescribeParameter(const TTrendContext& ctx, std::uint16_t address) {
    TValueScale scale;
    const TParaRec* para = ctx.Set != nullptr ? ctx.Set->FindPara(address) : nullptr;
    if (para == nullptr)
        return scale;
    scale.Described = true;
    scale.PlainText = para->PlainText != nullptr;
    scale.Ident = para->GetIdent();
    scale.Name = para->GetName(ctx.Language);
    // A plain-text parameter's points are its raw values, which carry no unit.
    if (!scale.PlainText)
        scale.Unit = UnitText(FormatUnit(para->Format));
    return scale;
}

std::optional<TValuePoint> MakeValuePoint(const TTrendContext& ctx, const TValueScale& scale,
                                          const TValueHit& hit) {
    TValuePoint point;
    point.Raw = hit.Raw;
    point.Value = hit.Raw;
    const TParaRec* para =
        scale.Described && ctx.Set != nullptr ? ctx.Set->FindPara(hit.Address) : nullptr;
    if (para == nullptr)
        return point;
    // The decoder's value annotation reads telegrams without address byte as 16 bits.
    if (hit.WidthRule && hit.NoAddressByte && (para->Attributes & kAttrFullLong) == 0)
        point.Raw = static_cast<std::int32_t>(static_cast<std::uint32_t>(hit.Raw) & 0xFFFF);
    if (scale.PlainText) {
        point.Value = point.Raw;
        para->AppendValueText(point.Text, point.Raw, ctx.Language, "+", true, ctx.DecimalSeparator);
        return point;
    }
    const std::optional<double> v = para->ScaledValue(point.Raw);
    if (!v)
        return std::nullopt;
    point.Value = *v;
    return point;
}

void TValueSeriesBuilder::Restart(const TTelegramList& list, const TTrendContext& ctx) {
    const TSeriesKey key = series_.Key;
    series_ = TValueSeries{};
    series_.Key = key;
    series_.TimeBase = ChooseTimeBase(list, ctx.TimeStampResolution);
    series_.Scale = DescribeParameter(ctx, key.Address);
    clock_ = TEntryClock(series_.TimeBase, ctx.TimeStampResolution);
    ctx_ = ctx;
    started_ = list.Count() > 0;
}

void TValueSeriesBuilder::Update(const TTelegramList& list, const TTrendContext& ctx) {
    TListCursor::TRange range = follower_.Next(list);
    const bool contextChanged = ctx.Set != ctx_.Set || ctx.Language != ctx_.Language ||
                                ctx.SourceFlags != ctx_.SourceFlags ||
                                ctx.Selection != ctx_.Selection ||
                                ctx.TimeStampResolution != ctx_.TimeStampResolution ||
                                ctx.DecimalSeparator != ctx_.DecimalSeparator;
    if (range.Restart || contextChanged || !started_) {
        Restart(list, ctx);
        range = {true, 0, list.Count()};
    }
    if (ctx.Selection != Protocol::Raw) {
        for (int p = range.From; p < range.To; ++p) {
            const std::int64_t time = clock_.Advance(*list.At(p), p);
            const std::optional<TValueHit> hit =
                FindParameterValue(list, p, ctx.SourceFlags, series_.Key.Drive);
            if (!hit || hit->Address != series_.Key.Address || hit->Drive != series_.Key.Drive)
                continue;
            if (std::optional<TValuePoint> point = MakeValuePoint(ctx, series_.Scale, *hit)) {
                point->Position = p;
                point->Time = time;
                series_.X.push_back(clock_.AxisValue(time));
                series_.Y.push_back(point->Value);
                series_.Points.push_back(std::move(*point));
            }
        }
    }
    follower_.Commit(list);
}

void TParameterInventory::Update(const TTelegramList& list, const TTrendContext& ctx) {
    TListCursor::TRange range = follower_.Next(list);
    if (range.Restart || ctx.SourceFlags != sourceFlags_ || ctx.Selection != selection_) {
        counts_.clear();
        sourceFlags_ = ctx.SourceFlags;
        selection_ = ctx.Selection;
        range = {true, 0, list.Count()};
    }
    if (ctx.Selection != Protocol::Raw) {
        for (int p = range.From; p < range.To; ++p)
            if (const std::optional<TValueHit> hit = FindParameterValue(list, p, ctx.SourceFlags))
                ++counts_[static_cast<std::uint32_t>(hit->Drive) << 16 | hit->Address];
    }
    follower_.Commit(list);
}

std::vector<TParameterCount> TParameterInventory::Counts() const {
    std::vector<TParameterCount> out;
    out.reserve(counts_.size());
    for (const auto& [key, n] : counts_)
        out.push_back({static_cast<int>(key >> 16), static_cast<std::uint16_t>(key & 0xFFFF), n});
    return out;
}

} // namespace protmon
