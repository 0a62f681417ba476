#include "analysis/transaction_stats.h"
#include "analysis/transaction_table.h"
#include "analysis/transaction_text.h"
#include "decode/decode_row.h"
#include "model/telegram_list.h"

#include <array>
#include <gtest/gtest.h>
#include <initializer_list>
#include <random>
#include <vector>

namespace protmon {
namespace {

constexpr std::int64_t kMs = 1'000'000; // nanoseconds

struct TEntryRow {
    std::vector<int> Bytes;
    int Channel = kNoChannel;
    int TimeStamp = 0;
    std::int64_t ReceiveTime = 0;
};

void Fill(TTelegramList& list, const std::vector<TEntryRow>& rows) {
    for (const TEntryRow& s : rows) {
        TTelEntry* e = list.NewTelEntry();
        for (std::size_t i = 0; i < s.Bytes.size(); ++i)
            e->Data[i] = static_cast<std::uint8_t>(s.Bytes[i]);
        e->Channel = static_cast<std::uint16_t>(s.Channel);
        e->TimeStamp = static_cast<std::uint16_t>(s.TimeStamp);
        e->ReceiveTime = s.ReceiveTime;
    }
}

TTransactionTable Build(const std::vector<TEntryRow>& rows, TTransactionSettings settings = {}) {
    TTelegramList list;
    Fill(list, rows);
    TTransactionTable table;
    table.Rebuild(list, settings);
    return table;
}

std::vector<int> Requests(const TTransactionTable& t) {
    std::vector<int> out;
    for (int i = 0; i < t.Size(); ++i)
        out.push_back(t.RequestIndex(i));
    return out;
}

// Read request and read response of service 0 for an address; the response carries error `err`.
TEntryRow Req(int address) {
    return {{address, 0x00, 0x01, 0x00, 0x00}};
}
TEntryRow Rsp(int address, int err = 0) {
    return {{address, 0x80, 0, 0, 0, 1, err}};
}
TEntryRow Status(int kind) {
    return {{0, kind, 0}};
}

TEST(TransactionPairing, HandMadeLists) {
    struct TCase {
        const char* Name;
        std::vector<TEntryRow> Entries;
        std::uint32_t Flags;
        std::vector<int> Expected; // request index of every entry
    };
    const TEntryRow filler = Status(kStatusBcc);
    const std::vector<TCase> cases = {
        {"plain pair", {Req(1), Rsp(1)}, 0, {-1, 0}},
        {"other address", {Req(1), Rsp(2)}, 0, {-1, -1}},
        {"nearest request wins", {Req(1), Req(1), Rsp(1)}, 0, {-1, -1, 1}},
        // A request is taken by its first response; the second is an orphan and does not
        // search on past the answered request.
        {"second response is an orphan", {Req(1), Rsp(1), Rsp(1)}, 0, {-1, 0, -1}},
        {"second response does not search on",
         {Req(1), Req(1), Rsp(1), Rsp(1)},
         0,
         {-1, -1, 1, -1}},
        // Request B to 02 lost to a BCC error: its response finds A, answered already.
        {"lost request",
         {Req(2), Rsp(2), Req(3), Rsp(3), Status(kStatusBcc), Rsp(2)},
         0,
         {-1, 0, -1, 2, -1, -1}},
        {"Comm: second response is an orphan", {Req(15), Rsp(1), Rsp(1)}, kSourceComm, {-1, 0, -1}},
        {"write response needs a write request", {Req(1), {{1, 0xC0, 0}}}, 0, {-1, -1}},
        {"Comm: response one above", {Req(1), Rsp(2)}, kSourceComm, {-1, 0}},
        {"Comm: equal addresses do not match", {Req(1), Rsp(1)}, kSourceComm, {-1, -1}},
        {"Comm: 15 wraps to 1", {Req(15), Rsp(1)}, kSourceComm, {-1, 0}},
        {"nine back",
         {Req(1), filler, filler, filler, filler, filler, filler, filler, filler, Rsp(1)},
         0,
         {-1, -1, -1, -1, -1, -1, -1, -1, -1, 0}},
        {"ten back is too far",
         {Req(1), filler, filler, filler, filler, filler, filler, filler, filler, filler, Rsp(1)},
         0,
         {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        // A status entry of kind 0x00 is never a request, whatever its bytes.
        {"status entry is no request", {{{0, 0x00}}, {{0, 0x80}}}, 0, {-1, -1}},
    };
    for (const TCase& c : cases) {
        TTransactionSettings s;
        s.SourceFlags = c.Flags;
        EXPECT_EQ(Requests(Build(c.Entries, s)), c.Expected) << c.Name;
    }
}

// Over random recordings with line-monitor stamps: the table pairs by the decoder's request
// search, a request with its first response only; every response time is the stamp difference of
// its pair; per drive and service, responses - orphans = requests - unanswered. The same entries
// fed one by one into a shorter ring end as the ring's entries rebuilt afresh.
TEST(TransactionPairing, RandomRecordings) {
    constexpr int kResolution = 8;
    std::mt19937 random(7);
    for (const std::uint32_t flags : {0u, std::uint32_t{kSourceComm}}) {
        TTelegramList list;
        list.SetBufferDepth(2000);
        std::uint16_t stamp = 0;
        for (int i = 0; i < 2000; ++i) {
            TTelEntry* e = list.NewTelEntry();
            const int address = static_cast<int>(random() % 5);
            e->Data[0] = static_cast<std::uint8_t>(address == 4 ? 15 : address); // 0: status
            e->Data[1] = static_cast<std::uint8_t>((random() % 4) << 6 | random() % 2);
            e->Channel = 0;
            stamp = static_cast<std::uint16_t>(stamp + random() % 4000); // wraps now and then
            e->TimeStamp = stamp;
        }
        TTransactionTable table;
        table.Rebuild(list, {Protocol::Trx5, flags, kResolution});
        int orphansOnAnswered = 0;
        for (int p = 0; p < list.Count(); ++p) {
            const TTransaction& t = table.At(p);
            ASSERT_LE(t.Answers, 1);
            if (t.Role != TransactionRole::Response)
                continue;
            const int request = table.RequestIndex(p);
            const int searched = FindRequestForResponse(list, p, flags);
            ASSERT_EQ(request, PairedRequestPosition(list, p, flags)) << p;
            // An orphan's search found nothing or a request that answers an earlier response.
            if (request < 0 && searched >= 0) {
                ASSERT_LT(table.ResponseIndex(searched), p) << p;
                ASSERT_GE(table.ResponseIndex(searched), 0) << p;
                ++orphansOnAnswered;
            }
            if (request < 0) {
                EXPECT_EQ(ResponseCellText(table, p), "no request");
                ASSERT_EQ(t.ResponseTimeUs, kUnknownTime);
                ASSERT_EQ(table.DriveOf(p), RequestAddressFor(t.Address, flags));
                continue;
            }
            ASSERT_EQ(searched, request) << p;
            const int ticks = (list.At(p)->TimeStamp - list.At(request)->TimeStamp + 65536) % 65536;
            ASSERT_EQ(t.ResponseTimeUs, ticks * kResolution) << p;
        }
        EXPECT_GT(orphansOnAnswered, 5);

        const TTransactionStats stats = ComputeStatistics(table);
        for (const TDriveStats& d : stats.Drives) {
            const TTransactionCounters& c = d.Counters;
            EXPECT_EQ(c.Responses - c.OrphanResponses, c.Requests - c.Unanswered) << d.Address;
            for (const TServiceStats& s : d.Services)
                EXPECT_EQ(s.Counters.Responses - s.Counters.OrphanResponses,
                          s.Counters.Requests - s.Counters.Unanswered)
                    << d.Address << " " << s.Service;
        }

        TTransactionTable ring;
        ring.Reset({Protocol::Trx5, flags, kResolution}, 100);
        for (int p = 0; p < list.Count(); ++p)
            ring.Append(*list.At(p));
        TTelegramList tail;
        for (int p = list.Count() - 100; p < list.Count(); ++p)
            *tail.NewTelEntry() = *list.At(p);
        TTransactionTable fresh;
        fresh.Rebuild(tail, {Protocol::Trx5, flags, kResolution});
        ASSERT_EQ(Requests(ring), Requests(fresh));
        for (int i = 0; i < 100; ++i) {
            ASSERT_EQ(ring.At(i).Answers, fresh.At(i).Answers) << i;
            ASSERT_EQ(ring.At(i).ResponseTimeUs, fresh.At(i).ResponseTimeUs) << i;
        }
    }
}

TEST(TransactionPairing, RingOfTheListIsReadOldestFirst) {
    TTelegramList list;
    list.SetBufferDepth(10);
    // Twelve entries into ten places: the request at arrival 8 sits at position 8, its responses
    // at arrival 10 and 11 at positions 0 and 1 of the wrapped ring.
    std::vector<TEntryRow> rows(8, Status(kStatusBcc));
    rows.insert(rows.end(), {Req(3), Status(kStatusBcc), Rsp(3), Rsp(3)});
    Fill(list, rows);
    ASSERT_EQ(list.WriteIndex(), 2);
    TTransactionTable table;
    table.Rebuild(list, {});
    EXPECT_EQ(ArrivalIndexOf(list, 8), 6);
    EXPECT_EQ(table.ResponseIndex(6), 8);
    EXPECT_EQ(ListPositionOf(list, table.PartnerIndex(6)), 0);
    EXPECT_EQ(ListPositionOf(list, table.PartnerIndex(8)), 8);
    EXPECT_EQ(table.PartnerIndex(9), -1); // the second response: an orphan
    EXPECT_EQ(table.PartnerIndex(0), -1);
}

TEST(ResponseTime, SourcesAndWraps) {
    struct TCase {
        const char* Name;
        TEntryTime Request;
        TEntryTime Response;
        int Resolution;
        std::int64_t Expected;
    };
    const std::int64_t t0 = 1'700'000'000'000'000'000;
    const std::vector<TCase> cases = {
        {"stamps", {0, 100, 0}, {1, 110, 0}, 128, 1280},
        {"stamps wrap once", {0, 65530, 0}, {0, 6, 0}, 8, 12 * 8},
        // 65536 ticks of 1 µs are 65.536 ms: the receive times 140 ms apart show two more wraps.
        {"receive times add whole wraps", {0, 10, t0}, {0, 20, t0 + 140 * kMs}, 1, 10 + 2 * 65536},
        {"receive times within one period add none", {0, 10, t0}, {0, 20, t0 + 3 * kMs}, 1, 10},
        {"stamps without resolution: receive times", {0, 10, t0}, {0, 20, t0 + 2 * kMs}, 0, 2000},
        {"one side without stamp: receive times", {kNoChannel, 0, t0}, {0, 20, t0 + 1500}, 8, 2},
        {"nothing known", {kNoChannel, 0, 0}, {0, 20, t0}, 8, kUnknownTime},
        {"clock set back", {kNoChannel, 0, t0}, {kNoChannel, 0, t0 - kMs}, 8, kUnknownTime},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ResponseTimeUs(c.Request, c.Response, c.Resolution), c.Expected) << c.Name;
}

TEST(TransactionStatistics, CountsPerDriveAndService) {
    std::vector<TEntryRow> rows = {
        Req(0x10),
        Rsp(0x10), // answered
        Req(0x10),
        Rsp(0x10, 3),                     // error response
        Req(0x10),                        // no reply
        {{0x10, 0x41, 0, 1, 0, 0, 0, 9}}, // write request, service 1, no reply
        Rsp(0x20),                        // response without request: its own address
        Status(kStatusBcc),
        Status(kStatusIllegalFrame),
        Status(kStatusBcc),
        Status(7),
    };
    // Stamps 10 ticks of 8 µs apart for the first pair, 30 for the second.
    rows[0].Channel = rows[1].Channel = rows[2].Channel = rows[3].Channel = 0;
    rows[1].TimeStamp = 10;
    rows[3].TimeStamp = 30;
    const TTransactionTable table = Build(rows, {Protocol::Trx5, 0, 8});
    EXPECT_TRUE(table.At(3).Error);
    EXPECT_FALSE(table.At(1).Error);

    const TTransactionStats stats = ComputeStatistics(table);
    EXPECT_EQ(stats.Entries, 11);
    using S = std::vector<std::pair<std::string, std::int64_t>>;
    EXPECT_EQ(stats.Status, (S{{"BCC", 2}, {"Unknown:7", 1}, {"Illegal Frame", 1}}));
    ASSERT_EQ(stats.Drives.size(), 2u);
    const TDriveStats& d = stats.Drives[0];
    EXPECT_EQ(d.Address, 0x10);
    EXPECT_EQ(d.Counters.Requests, 4);
    EXPECT_EQ(d.Counters.Responses, 2);
    EXPECT_EQ(d.Counters.Unanswered, 2);
    EXPECT_EQ(d.Counters.ErrorResponses, 1);
    EXPECT_EQ(d.Counters.Times.Count, 2);
    EXPECT_EQ(d.Counters.Times.MinUs, 80);
    EXPECT_EQ(d.Counters.Times.MeanTenthsUs, 1600);
    EXPECT_EQ(d.Counters.Times.MaxUs, 240);
    ASSERT_EQ(d.Services.size(), 2u);
    EXPECT_EQ(d.Services[0].Service, 0);
    EXPECT_FALSE(d.Services[0].Write);
    EXPECT_EQ(d.Services[0].Counters.Requests, 3);
    EXPECT_EQ(d.Services[1].Service, 1);
    EXPECT_TRUE(d.Services[1].Write);
    EXPECT_EQ(d.Services[1].Counters.Unanswered, 1);
    EXPECT_EQ(stats.Drives[1].Address, 0x20);
    EXPECT_EQ(stats.Drives[1].Counters.Responses, 1);
    EXPECT_EQ(stats.Drives[1].Counters.OrphanResponses, 1);
    EXPECT_EQ(stats.Drives[1].Counters.Times.Count, 0);

    // Only the entries counted: the response keeps its time though its request is left out.
    std::vector<bool> counted(table.Size(), false);
    counted[1] = true;
    const TTransactionStats part = ComputeStatistics(table, &counted);
    EXPECT_EQ(part.Entries, 1);
    ASSERT_EQ(part.Drives.size(), 1u);
    EXPECT_EQ(part.Drives[0].Counters.Requests, 0);
    EXPECT_EQ(part.Drives[0].Counters.Times.MinUs, 80);

    EXPECT_EQ(ResponseCellText(table, 1), "80");
    EXPECT_EQ(ResponseCellText(table, 4), "no reply");
    EXPECT_EQ(ResponseCellText(table, 0), "");
    EXPECT_EQ(ResponseCellText(table, 6), "no request");
    EXPECT_EQ(ResponseCellText(table, 7), "");
    EXPECT_EQ(StatisticsTableText(stats),
              "Drive\tRequests\tResponses\tNo reply\tNo request\tErrors\tMin [ms]\tMean [ms]\t"
              "P95 [ms]\tMax [ms]\r\n"
              "10\t4\t2\t2\t0\t1\t0.080\t0.160\t0.240\t0.240\r\n"
              "  Read 0\t3\t2\t1\t0\t1\t0.080\t0.160\t0.240\t0.240\r\n"
              "  Write 1\t1\t0\t1\t0\t0\t\t\t\t\r\n"
              "20\t0\t1\t0\t1\t0\t\t\t\t\r\n"
              "  Read 0\t0\t1\t0\t1\t0\t\t\t\t\r\n");
}

// With the fieldbus operator a response carries its drive's address plus one (1 for 15); an
// orphan counts under the drive its request would have carried.
TEST(TransactionStatistics, OrphansWithTheCommBitCountUnderTheirDrive) {
    const TTransactionTable table = Build({Req(15), Rsp(1), Rsp(1), Rsp(5), Req(2), Rsp(3), Rsp(3)},
                                          {Protocol::Trx5, kSourceComm, 0});
    // Address, requests, responses, orphans of each drive.
    std::vector<std::array<std::int64_t, 4>> got;
    for (const TDriveStats& d : ComputeStatistics(table).Drives)
        got.push_back(
            {d.Address, d.Counters.Requests, d.Counters.Responses, d.Counters.OrphanResponses});
    const std::vector<std::array<std::int64_t, 4>> expected = {
        {2, 1, 2, 1}, {4, 0, 1, 1}, {15, 1, 2, 1}};
    EXPECT_EQ(got, expected);
}

TEST(TransactionStatistics, PercentileByNearestRankAndMeanInTenths) {
    // Twenty pairs with response times 1 .. 20 µs by the receive times: rank ceil(19) = 19.
    std::vector<TEntryRow> rows;
    const std::int64_t t0 = 1'700'000'000'000'000'000;
    for (int i = 1; i <= 20; ++i) {
        rows.push_back(Req(5));
        rows.back().ReceiveTime = t0;
        rows.push_back(Rsp(5));
        rows.back().ReceiveTime = t0 + i * 1000 + (i == 20 ? 50 : 0);
    }
    const TResponseTimeSummary t = ComputeStatistics(Build(rows)).Drives[0].Counters.Times;
    EXPECT_EQ(t.Count, 20);
    EXPECT_EQ(t.P95Us, 19);
    EXPECT_EQ(t.MeanTenthsUs, 105); // 210 / 20 = 10.5
    EXPECT_EQ(t.MinUs, 1);
    EXPECT_EQ(t.MaxUs, 20);
}

TEST(TransactionText, EntryTime) {
    TTelEntry e;
    EXPECT_EQ(EntryTimeText(e, 128), "");
    e.Channel = 1;
    e.TimeStamp = 3;
    EXPECT_EQ(EntryTimeText(e, 128), "384");
    EXPECT_EQ(EntryTimeText(e, 0), "");
    e.ReceiveTime = 1'700'000'000'123'456'789;
    const std::string text = EntryTimeText(e, 128);
    ASSERT_EQ(text.size(), 23u) << text;
    EXPECT_EQ(text.substr(19), ".123");
    EXPECT_EQ(text[10], 'T');
}

// Found by the value series harness: receive times read from a file may lie almost the whole
// 64-bit range apart; rounding must not overflow.
TEST(ResponseTime, ReceiveTimeDifferenceAtTheLimit) {
    TEntryTime earlier;
    earlier.ReceiveTime = 1;
    TEntryTime later;
    later.ReceiveTime = INT64_MAX;
    EXPECT_EQ(ReceiveTimeDifferenceUs(earlier, later), 9'223'372'036'854'776);
    later.ReceiveTime = 1'499;
    EXPECT_EQ(ReceiveTimeDifferenceUs(earlier, later), 1);
    later.ReceiveTime = 1'501;
    EXPECT_EQ(ReceiveTimeDifferenceUs(earlier, later), 2);
}

} // namespace
} // namespace protmon
