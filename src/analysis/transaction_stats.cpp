#include "analysis/transaction_stats.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace protmon {

namespace {

struct TKindText {
    std::uint8_t Kind;
    std::string_view Text;
};

constexpr std::array<TKindText, 9> kKindTexts = {{
    {kStatusBcc, "BCC"},
    {kStatusOverrun, "Overrun"},
    {kStatusFraming, "Framing"},
    {kStatusParity, "Parity"},
    {kStatusIllegalFrame, "Illegal Frame"},
    {kStatusWriteOk, "Rsp Write OK"},
    {kStatusWriteError, "Rsp Write ERROR"},
    {kStatusReadError, "Rsp Read ERROR"},
    {kStatusSelect, "Select"},
}};

constexpr int kDrives = 256;
// Service number 0 .. 63 times read/write.
constexpr int kServiceKeys = 128;

// Counters of one group plus its response times until they are summarised.
struct TAccumulator {
    TTransactionCounters Counters;
    std::vector<std::int64_t> Times;
};

TResponseTimeSummary Summarise(std::vector<std::int64_t>& times) {
    TResponseTimeSummary s;
    if (times.empty())
        return s;
    const auto n = static_cast<std::int64_t>(times.size());
    std::int64_t sum = 0;
    s.MinUs = times.front();
    s.MaxUs = times.front();
    for (const std::int64_t t : times) {
        sum += t;
        s.MinUs = std::min(s.MinUs, t);
        s.MaxUs = std::max(s.MaxUs, t);
    }
    s.Count = n;
    // Tenths, rounded half up, in integers so that no binary fraction decides the last digit.
    s.MeanTenthsUs = (sum * 20 + n) / (2 * n);
    const std::int64_t rank = (n * 95 + 99) / 100; // ceil(0.95 n), 1-based
    const auto nth = times.begin() + (rank - 1);
    std::nth_element(times.begin(), nth, times.end());
    s.P95Us = *nth;
    return s;
}

void Count(TAccumulator& a, const TTransaction& t) {
    TTransactionCounters& c = a.Counters;
    if (t.Role == TransactionRole::Request) {
        ++c.Requests;
        if (t.Answers == 0)
            ++c.Unanswered;
        return;
    }
    ++c.Responses;
    if (t.Error)
        ++c.ErrorResponses;
    if (IsOrphan(t))
        ++c.OrphanResponses;
    if (t.ResponseTimeUs != kUnknownTime)
        a.Times.push_back(t.ResponseTimeUs);
}

TTransactionCounters Finish(TAccumulator& a) {
    TTransactionCounters c = a.Counters;
    c.Times = Summarise(a.Times);
    return c;
}

} // namespace

std::string StatusKindText(std::uint8_t kind) {
    for (const TKindText& k : kKindTexts)
        if (k.Kind == kind)
            return std::string(k.Text);
    return "Unknown:" + std::to_string(kind);
}

namespace {

// Groups only for the keys that occur, found through one slot per key: a call over a few entries
// costs little, a call over millions one lookup per entry.
template <typename T, std::size_t N>
class TSlotMap {
public:
    TSlotMap() { slot_.fill(-1); }
    T& Get(int key) {
        std::int16_t& slot = slot_[static_cast<std::size_t>(key)];
        if (slot < 0) {
            slot = static_cast<std::int16_t>(items_.size());
            items_.emplace_back();
        }
        return items_[static_cast<std::size_t>(slot)];
    }
    T* Find(int key) {
        const std::int16_t slot = slot_[static_cast<std::size_t>(key)];
        return slot < 0 ? nullptr : &items_[static_cast<std::size_t>(slot)];
    }

private:
    std::array<std::int16_t, N> slot_;
    std::vector<T> items_;
};

// The groups of one drive.
struct TDriveGroups {
    TAccumulator Drive;
    TSlotMap<TAccumulator, kServiceKeys> Services;
};

TDriveStats FinishDrive(int address, TDriveGroups& g) {
    TDriveStats d{address, Finish(g.Drive), {}};
    // Key bits 5..0 the service number, bit 6 the class: sorted by number, read first.
    for (int number = 0; number < 64; ++number)
        for (const int write : {0, 1})
            if (TAccumulator* s = g.Services.Find((write << 6) + number))
                d.Services.push_back({number, write == 1, Finish(*s)});
    return d;
}

} // namespace

namespace {

// Everything counted of a run of records, before the groups are summarised.
struct TCounts {
    std::int64_t Entries = 0;
    std::array<std::int64_t, 256> Status{};
    TSlotMap<TDriveGroups, kDrives> Groups;

    void Add(const TTransactionTable& table, int i) {
        ++Entries;
        const TTransaction& t = table.At(i);
        if (t.Role == TransactionRole::Status)
            ++Status[t.Service];
        if (t.Role != TransactionRole::Request && t.Role != TransactionRole::Response)
            return;
        TDriveGroups& g = Groups.Get(table.DriveOf(i));
        Count(g.Drive, t);
        Count(g.Services.Get(t.Service & 0x7F), t);
    }

    TTransactionStats Finish() {
        TTransactionStats stats;
        stats.Entries = Entries;
        for (int kind = 0; kind < 256; ++kind)
            if (Status[static_cast<std::size_t>(kind)] > 0)
                stats.Status.emplace_back(StatusKindText(static_cast<std::uint8_t>(kind)),
                                          Status[static_cast<std::size_t>(kind)]);
        for (int drive = 0; drive < kDrives; ++drive)
            if (TDriveGroups* g = Groups.Find(drive))
                stats.Drives.push_back(FinishDrive(drive, *g));
        return stats;
    }
};

// Responses find their request at most this many records back.
constexpr int kAnswerReach = 9;

bool SameRecord(const TTransaction& a, const TTransaction& b) {
    return a.Time.Channel == b.Time.Channel && a.Time.TimeStamp == b.Time.TimeStamp &&
           a.Time.ReceiveTime == b.Time.ReceiveTime && a.Role == b.Role && a.Address == b.Address &&
           a.Service == b.Service && a.ResponseTimeUs == b.ResponseTimeUs &&
           a.RequestBack == b.RequestBack;
}

} // namespace

TTransactionStats ComputeStatistics(const TTransactionTable& table,
                                    const std::vector<bool>* counted) {
    TCounts counts;
    for (int i = 0; i < table.Size(); ++i)
        if (counted == nullptr || (*counted)[static_cast<std::size_t>(i)])
            counts.Add(table, i);
    return counts.Finish();
}

struct TStatisticsFollower::TState {
    TCounts Final; // records [0, FinalCount): their counts can no longer change
    int FinalCount = 0;
    TTransaction First;
    TTransaction LastFinal;
};

TStatisticsFollower::TStatisticsFollower() : state_(std::make_unique<TState>()) {}
TStatisticsFollower::~TStatisticsFollower() = default;
TStatisticsFollower::TStatisticsFollower(TStatisticsFollower&&) noexcept = default;
TStatisticsFollower& TStatisticsFollower::operator=(TStatisticsFollower&&) noexcept = default;

int TStatisticsFollower::FinalRecords() const {
    return state_->FinalCount;
}

TTransactionStats TStatisticsFollower::Update(const TTransactionTable& table) {
    TState& s = *state_;
    // The records counted before must still be there, unchanged and in their places.
    const int done = s.FinalCount;
    if (done > 0 && (table.Size() < done || !SameRecord(table.At(0), s.First) ||
                     !SameRecord(table.At(done - 1), s.LastFinal)))
        s = TState{};
    const int settled = std::max(s.FinalCount, table.Size() - kAnswerReach);
    for (int i = s.FinalCount; i < settled; ++i)
        s.Final.Add(table, i);
    s.FinalCount = settled;
    if (settled > 0) {
        s.First = table.At(0);
        s.LastFinal = table.At(settled - 1);
    }
    TCounts all = s.Final;
    for (int i = settled; i < table.Size(); ++i)
        all.Add(table, i);
    return all.Finish();
}

} // namespace protmon
