#include "analysis/transaction_stats.h"
#include "analysis/transaction_table.h"
#include "analysis/transaction_text.h"
#include "model/telegram_list.h"

#include <gtest/gtest.h>
#include <random>

namespace protmon {
namespace {

// Everything the statistics say, as one text.
std::string Text(const TTransactionStats& s) {
    std::string text = std::to_string(s.Entries) + '\n';
    for (const auto& [kind, n] : s.Status)
        text += kind + ' ' + std::to_string(n) + '\n';
    return text + StatisticsTableText(s);
}

// A random telegram of a small bus: requests and responses of three drives and two services,
// with lost ones, errors and receive errors among them.
void RandomEntry(TTelEntry& e, std::mt19937& rng, std::int64_t& now) {
    e.Data = {};
    now += 1'000'000 + static_cast<std::int64_t>(rng() % 5'000'000);
    e.ReceiveTime = now;
    const unsigned kind = rng() % 10;
    const auto drive = static_cast<std::uint8_t>(1 + rng() % 3);
    const auto service = static_cast<std::uint8_t>(rng() % 2);
    if (kind == 0) { // receive error
        e.Data[1] = 1;
        return;
    }
    e.Data[0] = drive;
    e.Data[1] = static_cast<std::uint8_t>((kind < 5 ? 0x00 : 0x80) | service);
    e.Data[2] = 0;
    e.Data[3] = 0x80;
    e.Data[6] = kind == 9 ? 3 : 0; // an error status now and then
}

// The follower gives at every step what a count over the whole table gives: while the capture
// grows the table, when the ring is full and drops its oldest, and after the table starts anew.
TEST(StatisticsFollower, CountsLikeTheWholeTableAtEveryStep) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        TTelegramList list;
        TTransactionTable table;
        table.Reset({}, 150);
        TStatisticsFollower follower;
        std::int64_t now = 1'700'000'000'000'000'000;
        for (int step = 0; step < 120; ++step) {
            const int n = static_cast<int>(rng() % 12);
            for (int k = 0; k < n; ++k) {
                TTelEntry& e = *list.NewTelEntry();
                RandomEntry(e, rng, now);
                table.Append(e);
            }
            if (step == 60) { // a new recording of the same length
                list.Clear();
                table.Reset({}, 150);
            }
            ASSERT_EQ(Text(follower.Update(table)), Text(ComputeStatistics(table)))
                << "seed " << seed << " step " << step;
        }
        EXPECT_EQ(table.Size(), 150); // the ring dropped its oldest
    }
}

// Counted once: a later update handles the new records and the last few only.
TEST(StatisticsFollower, SettledRecordsAreNotCountedAgain) {
    TTelegramList list;
    TTransactionTable table;
    table.Reset({}, 1000);
    TStatisticsFollower follower;
    std::mt19937 rng(7);
    std::int64_t now = 0;
    for (int i = 0; i < 100; ++i) {
        TTelEntry& e = *list.NewTelEntry();
        RandomEntry(e, rng, now);
        table.Append(e);
    }
    follower.Update(table);
    EXPECT_EQ(follower.FinalRecords(), 91); // the nine newest may still be answered
    // A table rebuilt from the same entries continues; a shorter one starts over.
    table.Rebuild(list, {});
    follower.Update(table);
    EXPECT_EQ(follower.FinalRecords(), 91);
    table.Reset({}, 1000);
    EXPECT_EQ(follower.Update(table).Entries, 0);
    EXPECT_EQ(follower.FinalRecords(), 0);
}

} // namespace
} // namespace protmon
