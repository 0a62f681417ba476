#include "analysis/trend_response_times.h"

#include "model/telegram_list.h"

#include <algorithm>

namespace protmon {

void TResponseTimeSeries::Update(const TTelegramList& list, const TTrendContext& ctx) {
    const TTransactionSettings settings{ctx.Selection, ctx.SourceFlags, ctx.TimeStampResolution};
    const TTransactionSettings& had = table_.Settings();
    TListCursor::TRange range = follower_.Next(list);
    if (range.Restart || table_.Capacity() == 0 || had.Selection != settings.Selection ||
        had.SourceFlags != settings.SourceFlags ||
        had.TimeStampResolution != settings.TimeStampResolution) {
        drives_.clear();
        ++generation_;
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
    if (t.Role != TransactionRole::Response || t.ResponseTimeUs == kUnknownTime)
        return;
    TDriveResponseTimes& d = drives_[table_.DriveOf(index)];
    d.Points.push_back({position, time, t.ResponseTimeUs, t.Error});
    d.X.push_back(clock_.AxisValue(time));
    d.Ms.push_back(static_cast<double>(std::max<std::int64_t>(1, t.ResponseTimeUs)) / 1000);
    ++d.Bins[ResponseTimeBin(t.ResponseTimeUs)];
}

std::vector<int> TResponseTimeSeries::Drives() const {
    std::vector<int> out;
    for (const auto& [drive, points] : drives_)
        out.push_back(drive);
    return out;
}

const TDriveResponseTimes& TResponseTimeSeries::Drive(int drive) const {
    static const TDriveResponseTimes kNone;
    const auto it = drives_.find(drive);
    return it != drives_.end() ? it->second : kNone;
}

namespace {

constexpr int kBinSteps[kBinsPerDecade] = {1, 2, 5};

} // namespace

int ResponseTimeBin(std::int64_t microseconds) {
    if (microseconds <= 1)
        return 0;
    // Whole numbers only, so that 1000 µs is not put below its edge by a rounded logarithm.
    int decade = 0;
    std::int64_t power = 1;
    while (power <= microseconds / 10) {
        power *= 10;
        ++decade;
    }
    const std::int64_t leading = microseconds / power;
    const int step = leading >= 5 ? 2 : leading >= 2 ? 1 : 0;
    return decade * kBinsPerDecade + step;
}

double ResponseTimeBinStart(int bin) {
    if (bin <= 0)
        return 1;
    double start = kBinSteps[bin % kBinsPerDecade];
    for (int d = 0; d < bin / kBinsPerDecade; ++d)
        start *= 10;
    return start;
}

} // namespace protmon
