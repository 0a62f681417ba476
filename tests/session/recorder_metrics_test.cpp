#include "analysis/transaction_stats.h"
#include "analysis/transaction_table.h"
#include "model/telegram_list.h"
#include "session/recorder_metrics.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace protmon {
namespace {

using Clock = std::chrono::steady_clock;

// One step of a recording: an entry, the start of the next file, or a quiet spell on the line.
struct TStep {
    enum Kind { Entry, NextFile, Quiet } What = Entry;
    TTelEntry E;
};

TStep Tel(int address, int service, int error = 0, int ms = 0) {
    TStep s;
    s.E.Data[0] = static_cast<std::uint8_t>(address);
    s.E.Data[1] = static_cast<std::uint8_t>(service);
    // A read-value response carries its status byte at 6.
    s.E.Data[6] = static_cast<std::uint8_t>(error);
    s.E.ReceiveTime = std::int64_t{ms} * 1'000'000;
    return s;
}
TStep Req(int address, int ms = 0) {
    return Tel(address, 0x00, 0, ms);
}
TStep Rsp(int address, int ms = 0, int error = 0) {
    return Tel(address, 0x80, error, ms);
}
TStep WriteReq(int address, int ms = 0) {
    return Tel(address, 0x40, 0, ms);
}
TStep WriteRsp(int address, int ms = 0) {
    return Tel(address, 0xC0, 0, ms);
}
TStep Bcc() {
    return Tel(0, kStatusBcc);
}
TStep Step(TStep::Kind kind) {
    TStep s;
    s.What = kind;
    return s;
}

// drive, service key -> requests, responses, unanswered, errors; orphans per drive under key -1.
using TCounts = std::map<std::pair<int, int>,
                         std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t>>;

// What `stats` says of each file, added up.
TCounts StatsOfFiles(const std::vector<TStep>& steps, std::int64_t& times) {
    TCounts counts;
    std::vector<std::vector<TTelEntry>> files(1);
    for (const TStep& s : steps)
        if (s.What == TStep::NextFile)
            files.emplace_back();
        else if (s.What == TStep::Entry)
            files.back().push_back(s.E);
    for (const auto& file : files) {
        TTelegramList list;
        for (const TTelEntry& e : file)
            *list.NewTelEntry() = e;
        TTransactionTable table;
        table.Rebuild(list, {Protocol::Trx5, 0, 0});
        for (const TDriveStats& d : ComputeStatistics(table).Drives) {
            std::get<0>(counts[{d.Address, -1}]) += d.Counters.OrphanResponses;
            times += d.Counters.Times.Count;
            for (const TServiceStats& s : d.Services) {
                auto& c = counts[{d.Address, s.Service + (s.Write ? 0x40 : 0)}];
                std::get<0>(c) += s.Counters.Requests;
                std::get<1>(c) += s.Counters.Responses;
                std::get<2>(c) += s.Counters.Unanswered;
                std::get<3>(c) += s.Counters.ErrorResponses;
            }
        }
    }
    return counts;
}

// What the endpoint says once the line is quiet.
TCounts MetricsOf(const std::vector<TStep>& steps, std::int64_t& times) {
    Clock::time_point now{};
    TRecorderMetrics m("test", now);
    TCaptureSettings settings;
    m.NewCapture(settings);
    long long files = 1;
    std::set<long long> filled; // files that received entries
    for (const TStep& s : steps) {
        now += std::chrono::milliseconds(1);
        if (s.What == TStep::NextFile)
            ++files;
        if (s.What == TStep::Quiet)
            m.Tick(now += TRecorderMetrics::kQuietSettle);
        if (s.What != TStep::Entry)
            continue;
        m.FileBegun(files);
        filled.insert(files);
        m.Add(s.E, now);
        m.Tick(now);
    }
    m.Tick(now + TRecorderMetrics::kQuietSettle + TRecorderMetrics::kPublishInterval);
    TCounts counts;
    const auto snapshot = m.Snapshots().Newest();
    EXPECT_EQ(snapshot->FileChanges, filled.empty() ? 0u : filled.size() - 1);
    for (const TDriveMetrics& d : snapshot->Drives) {
        if (d.OrphanResponses > 0)
            std::get<0>(counts[{d.Address, -1}]) = static_cast<std::int64_t>(d.OrphanResponses);
        times += static_cast<std::int64_t>(d.Times[0].Count + d.Times[1].Count);
        for (const TServiceCounts& s : d.Services)
            counts[{d.Address, s.Key}] = {static_cast<std::int64_t>(s.Requests),
                                          static_cast<std::int64_t>(s.Responses),
                                          static_cast<std::int64_t>(s.Unanswered),
                                          static_cast<std::int64_t>(s.ErrorResponses)};
    }
    return counts;
}

void RemoveZeros(TCounts& counts) {
    std::erase_if(counts, [](const auto& c) { return c.second == decltype(c.second){}; });
}

void ExpectAgree(const std::string& name, const std::vector<TStep>& steps) {
    std::int64_t statsTimes = 0;
    std::int64_t metricTimes = 0;
    TCounts stats = StatsOfFiles(steps, statsTimes);
    TCounts metrics = MetricsOf(steps, metricTimes);
    RemoveZeros(stats);
    RemoveZeros(metrics);
    EXPECT_EQ(metrics, stats) << name;
    EXPECT_EQ(metricTimes, statsTimes) << name;
}

TEST(RecorderMetrics, AgreesWithTheStatisticsOfTheFilesOnceQuiet) {
    const TStep next = Step(TStep::NextFile);
    const TStep quiet = Step(TStep::Quiet);
    const std::vector<std::pair<std::string, std::vector<TStep>>> cases = {
        {"pairs", {Req(1, 0), Rsp(1, 2), WriteReq(2, 3), WriteRsp(2, 9)}},
        {"error response", {Req(3), Rsp(3, 1, 6)}},
        {"lost request: its response is an orphan", {Req(2, 0), Rsp(2, 3), Bcc(), Rsp(2, 40)}},
        {"lost response: unanswered once nine records follow",
         {Req(1), Req(2), Rsp(2), Req(2), Rsp(2), Req(2), Rsp(2), Req(2), Rsp(2), Req(2), Rsp(2),
          Req(3)}},
        {"unanswered at the end, answered nine back, orphan ten back",
         {Req(5), Bcc(), Bcc(), Bcc(), Bcc(), Bcc(), Bcc(), Bcc(), Bcc(), Rsp(5), Req(6),
          Bcc(),  Bcc(), Bcc(), Bcc(), Bcc(), Bcc(), Bcc(), Bcc(), Bcc(), Rsp(6), Req(7)}},
        {"a file change ends the pairing", {Req(1), next, Rsp(1), Req(1), Rsp(1)}},
        {"quiet line settles what is pending", {Req(1), Req(2), quiet, Req(3), Rsp(3)}},
        {"no response at all", {Req(1), Req(1), Req(1)}},
    };
    for (const auto& [name, steps] : cases)
        ExpectAgree(name, steps);
}

TEST(RecorderMetrics, AgreesOnRandomRecordings) {
    std::mt19937 random(29);
    for (int round = 0; round < 200; ++round) {
        std::vector<TStep> steps;
        int ms = 0;
        for (int i = 0; i < 120; ++i) {
            const int drive = 1 + static_cast<int>(random() % 3);
            const bool write = random() % 4 == 0;
            ms += 1 + static_cast<int>(random() % 30);
            switch (random() % 10) {
            case 0:
                steps.push_back(Bcc());
                break;
            case 1:
                steps.push_back(random() % 4 == 0 ? Step(TStep::NextFile) : Rsp(drive, ms));
                break;
            case 2:
            case 3:
            case 4:
                steps.push_back(write ? WriteReq(drive, ms) : Req(drive, ms));
                break;
            default:
                steps.push_back(write ? WriteRsp(drive, ms)
                                      : Rsp(drive, ms, random() % 8 == 0 ? 3 : 0));
            }
        }
        ExpectAgree("round " + std::to_string(round), steps);
    }
}

TEST(RecorderMetrics, CountersNeverGoDown) {
    TRecorderMetrics m("test", Clock::time_point{});
    // A new capture starts the rings' and the system's counts over; the list's count goes on.
    m.SetSource({true, 5, 10, 2});
    m.SetSource({false, 1, 10, 0});
    m.SetSource({true, 4, 12, 3});
    m.Flush(Clock::time_point{});
    const auto s = m.Snapshots().Newest();
    EXPECT_EQ(s->DroppedRingFull, 9u + 12u); // 5, then 1 and 3 more; 12 lost by the list
    EXPECT_EQ(s->DroppedSystem, 5u);
    EXPECT_TRUE(s->Connected);
}

} // namespace
} // namespace protmon
