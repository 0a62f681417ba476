#include "analysis/trend_response_times.h"

#include "model/telegram_list.h"

#include <cmath>

namespace protmon {

void TResponseTimeSeries::Update(const TTelegramList& list, const TTrendContext& ctx) {
    const TTransactionSettings settings{ctx.Selection, ctx.SourceFlags, ctx.TimeStampResolution};
    const TTransactionSettings& had = table_.Settings();
    TListFollower::TRange range = follower_.Next(list);
    if (range.Restart || table_.Capacity() == 0 || had.Selection != settings.Selection ||
        had.SourceFlags != settings.SourceFlags ||
        had.TimeStampResolution != settings.TimeStampResolution) {
        drives_.clear();
        clock_ = TEntryClock(ChooseTimeBase(list, settings.TimeStampResolution),
                             settings.TimeStampResolution);
        // The table reads a wrapped ring oldest first.
        table_.Rebuild(list, settings);
        for (int i = 0; i < table_.Size(); ++i)
            Take(list, i);
    } else {
        for (int p = range.From; p < range.To; ++p) {
            table_.Append(*list.At(p));
            Take(list, table_.Size() - 1);
        }
    }
    follower_.Commit(list);
}

void TResponseTimeSeries::Take(const TTelegramList& list, int index) {
    const int position = ListPositionOf(list, index);
    const std::int64_t time = clock_.Advance(*list.At(position), position);
    const TTransaction& t = table_.At(index);
    if (t.Role == TransactionRole::Response && t.ResponseTimeUs != kUnknownTime)
        drives_[table_.DriveOf(index)].push_back({position, time, t.ResponseTimeUs, t.Error});
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
