#include "analysis/trend_response_times.h"

#include "decode/decode_row.h"
#include "decode/service_tables.h"
#include "model/telegram_list.h"

#include <cmath>

namespace protmon {

namespace {

bool IsResponse(const TTelEntry& e) {
    return e.Data[0] != 0 && (e.Data[1] >> 6) >= 2;
}

// The response row shows an error (its status byte, as the decoder reads it, is not 0).
bool ResponseShowsError(const TTelEntry& e) {
    const ByteView d(e.Data.data(), kMaxStoredTelegram);
    const TServiceRow* row = FindServiceRow(SelectServiceTable(d.at(1)), d.at(1) & 0x3F);
    return row != nullptr && RowShowsError(*row, d);
}

} // namespace

void TResponseTimeSeries::Update(const TTelegramList& list, const TTrendContext& ctx) {
    TListFollower::TRange range = follower_.Next(list);
    if (range.Restart || ctx.SourceFlags != sourceFlags_ ||
        ctx.TimeStampResolution != resolution_) {
        drives_.clear();
        sourceFlags_ = ctx.SourceFlags;
        resolution_ = ctx.TimeStampResolution;
        clock_ = TEntryClock(ChooseTimeBase(list, resolution_), resolution_);
        range = {true, 0, list.Count()};
    }
    if (ctx.Selection != Protocol::Raw) {
        for (int p = range.From; p < range.To; ++p) {
            const TTelEntry& e = *list.At(p);
            const std::int64_t time = clock_.Advance(e, p);
            if (!IsResponse(e))
                continue;
            const int requestPos = FindRequestForResponse(list, p, sourceFlags_);
            if (requestPos < 0)
                continue;
            const TTelEntry& request = *list.At(requestPos);
            const std::optional<std::int64_t> us = ResponseTimeUs(request, e, resolution_);
            if (us)
                drives_[request.Data[0]].push_back({p, time, *us, ResponseShowsError(e)});
        }
    }
    follower_.Commit(list);
}

std::vector<int> TResponseTimeSeries::Drives() const {
    std::vector<int> out;
    for (const auto& [drive, points] : drives_)
        out.push_back(drive);
    return out;
}

const std::vector<TResponseTimePoint>& TResponseTimeSeries::Points(int drive) const {
    static const std::vector<TResponseTimePoint> kNone;
    const auto it = drives_.find(drive);
    return it != drives_.end() ? it->second : kNone;
}

int ResponseTimeBin(std::int64_t microseconds) {
    if (microseconds <= 1)
        return 0;
    return static_cast<int>(
        std::floor(std::log10(static_cast<double>(microseconds)) * kBinsPerDecade));
}

double ResponseTimeBinStart(int bin) {
    return std::pow(10.0, static_cast<double>(bin) / kBinsPerDecade);
}

} // namespace protmon
