// The transaction table over arbitrary lists, fed entry by entry into a small ring as capture does
// and rebuilt from the list, and the statistics over it.
#include "analysis/transaction_stats.h"
#include "analysis/transaction_table.h"
#include "fuzz_check.h"
#include "fuzz_entries.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace protmon;

namespace {

bool SameRecord(const TTransaction& a, const TTransaction& b) {
    return a.Time.Channel == b.Time.Channel && a.Time.TimeStamp == b.Time.TimeStamp &&
           a.Time.ReceiveTime == b.Time.ReceiveTime && a.ResponseTimeUs == b.ResponseTimeUs &&
           a.Role == b.Role && a.Address == b.Address && a.Service == b.Service &&
           a.Error == b.Error && a.RequestBack == b.RequestBack && a.Answers == b.Answers;
}

void CheckCounters(const TTransactionCounters& c) {
    FUZZ_CHECK(c.Requests >= 0 && c.Responses >= 0);
    FUZZ_CHECK(c.Unanswered >= 0 && c.Unanswered <= c.Requests);
    FUZZ_CHECK(c.ErrorResponses >= 0 && c.ErrorResponses <= c.Responses);
    FUZZ_CHECK(c.OrphanResponses >= 0 && c.OrphanResponses <= c.Responses);
    const TResponseTimeSummary& t = c.Times;
    FUZZ_CHECK(t.Count >= 0 && t.Count <= c.Responses);
    if (t.Count == 0) {
        FUZZ_CHECK(t.MinUs == 0 && t.MeanTenthsUs == 0 && t.P95Us == 0 && t.MaxUs == 0);
        return;
    }
    FUZZ_CHECK(t.MinUs >= 0);
    FUZZ_CHECK(t.MinUs <= t.P95Us && t.P95Us <= t.MaxUs);
    // The mean in tenths, rounded: within the tenths of the extremes.
    FUZZ_CHECK(t.MeanTenthsUs / 10 >= t.MinUs && (t.MeanTenthsUs - 9) / 10 <= t.MaxUs);
}

// Every count of `stats` adds up over the records of `table` (all of them, or `counted`).
void CheckStatistics(const TTransactionTable& table, const TTransactionStats& stats,
                     const std::vector<bool>* counted) {
    std::int64_t entries = 0, requests = 0, responses = 0, status = 0, unanswered = 0;
    for (int i = 0; i < table.Size(); ++i) {
        if (counted != nullptr && !(*counted)[static_cast<std::size_t>(i)])
            continue;
        ++entries;
        const TTransaction& t = table.At(i);
        requests += t.Role == TransactionRole::Request;
        unanswered += t.Role == TransactionRole::Request && t.Answers == 0;
        responses += t.Role == TransactionRole::Response;
        status += t.Role == TransactionRole::Status;
    }
    FUZZ_CHECK(stats.Entries == entries);
    std::int64_t statusSum = 0;
    for (const auto& [text, n] : stats.Status) {
        FUZZ_CHECK(!text.empty() && n > 0);
        statusSum += n;
    }
    FUZZ_CHECK(statusSum == status);
    std::int64_t driveRequests = 0, driveResponses = 0, driveUnanswered = 0;
    int lastDrive = -1;
    for (const TDriveStats& d : stats.Drives) {
        FUZZ_CHECK(d.Address > lastDrive && d.Address < 256);
        lastDrive = d.Address;
        CheckCounters(d.Counters);
        FUZZ_CHECK(d.Counters.Requests + d.Counters.Responses > 0);
        driveRequests += d.Counters.Requests;
        driveResponses += d.Counters.Responses;
        driveUnanswered += d.Counters.Unanswered;
        TTransactionCounters sum;
        for (const TServiceStats& s : d.Services) {
            FUZZ_CHECK(s.Service >= 0 && s.Service < 64);
            CheckCounters(s.Counters);
            sum.Requests += s.Counters.Requests;
            sum.Responses += s.Counters.Responses;
            sum.Unanswered += s.Counters.Unanswered;
            sum.ErrorResponses += s.Counters.ErrorResponses;
            sum.OrphanResponses += s.Counters.OrphanResponses;
            sum.Times.Count += s.Counters.Times.Count;
            // Over the whole table each answered request has exactly one paired response.
            if (counted == nullptr)
                FUZZ_CHECK(s.Counters.Responses - s.Counters.OrphanResponses ==
                           s.Counters.Requests - s.Counters.Unanswered);
        }
        FUZZ_CHECK(sum.OrphanResponses == d.Counters.OrphanResponses);
        FUZZ_CHECK(sum.Requests == d.Counters.Requests);
        FUZZ_CHECK(sum.Responses == d.Counters.Responses);
        FUZZ_CHECK(sum.Unanswered == d.Counters.Unanswered);
        FUZZ_CHECK(sum.ErrorResponses == d.Counters.ErrorResponses);
        FUZZ_CHECK(sum.Times.Count == d.Counters.Times.Count);
    }
    FUZZ_CHECK(driveRequests == requests && driveResponses == responses);
    FUZZ_CHECK(driveUnanswered == unanswered);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    TTransactionSettings settings;
    settings.Selection = static_cast<Protocol>(in.ConsumeIntegralInRange<int>(0, 2));
    settings.SourceFlags = in.ConsumeIntegral<std::uint8_t>();
    settings.TimeStampResolution = in.ConsumeIntegralInRange<int>(-1, 1000);
    const int depth = in.ConsumeIntegralInRange<int>(kMinBufferDepth, 30);

    // The list's ring and the table fed as a poll tick feeds it, a few entries at a time.
    TTelegramList list;
    list.SetBufferDepth(depth);
    TTransactionTable live;
    live.Reset(settings, list.Capacity());
    std::int64_t clock = 0;
    while (in.remaining_bytes() > 0) {
        const int tick = in.ConsumeIntegralInRange<int>(1, 4);
        int written = 0;
        for (; written < tick && in.remaining_bytes() > 0; ++written)
            fuzz::FillEntry(in, *list.NewTelEntry(), clock);
        live.AppendNewest(list, written);
        FUZZ_CHECK(live.Size() == std::min(list.Count(), live.Capacity()));
    }

    TTransactionTable rebuilt;
    rebuilt.Rebuild(list, settings);
    FUZZ_CHECK(rebuilt.Size() == list.Count());
    FUZZ_CHECK(live.Size() == rebuilt.Size());
    for (int i = 0; i < live.Size(); ++i) {
        FUZZ_CHECK(SameRecord(live.At(i), rebuilt.At(i)));
        const int request = rebuilt.RequestIndex(i);
        FUZZ_CHECK(request == -1 || (request < i && request >= i - 9));
        const int partner = rebuilt.PartnerIndex(i);
        FUZZ_CHECK(partner == -1 || (partner >= 0 && partner < rebuilt.Size()));
        FUZZ_CHECK(ArrivalIndexOf(list, ListPositionOf(list, i)) == i);
        const TTransaction& t = rebuilt.At(i);
        FUZZ_CHECK(t.Answers <= 1 && (rebuilt.ResponseIndex(i) >= 0) == (t.Answers == 1));
        // A paired response's time is that of its pair, an orphan has none.
        if (request >= 0)
            FUZZ_CHECK(t.ResponseTimeUs == ResponseTimeUs(rebuilt.At(request).Time, t.Time,
                                                          settings.TimeStampResolution));
        else if (t.Role == TransactionRole::Response)
            FUZZ_CHECK(IsOrphan(t) && t.ResponseTimeUs == kUnknownTime);
    }

    CheckStatistics(rebuilt, ComputeStatistics(rebuilt), nullptr);
    std::vector<bool> counted(static_cast<std::size_t>(rebuilt.Size()));
    for (std::size_t i = 0; i < counted.size(); ++i)
        counted[i] = (i * 7 + size) % 3 != 0;
    CheckStatistics(rebuilt, ComputeStatistics(rebuilt, &counted), &counted);
    return 0;
}
