#pragma once

#include "analysis/transaction_stats.h"
#include "analysis/transaction_table.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace protmon {

// Texts of the optional list columns "Time" and "Response", also written by decode --columns.

// The entry's receive time as local ISO 8601 with milliseconds ("2024-03-05T14:07:09.125"); else
// its line-monitor time stamp in microseconds (ticks times the resolution); else empty.
std::string EntryTimeText(const TTelEntry& entry, int resolutionUs);
// A response's time in microseconds (empty when unknown), "no request" for an orphan response,
// "no reply" for an unanswered request, empty for everything else. `index` is the arrival index
// in the table.
std::string ResponseCellText(const TTransactionTable& table, int index);

inline constexpr std::string_view kNoReplyText = "no reply";
inline constexpr std::string_view kNoRequestText = "no request";

// Both texts for the entry at list `position`, as the list view's extra columns show them. The
// response text stays empty while the table does not hold exactly the list's entries.
void ExtraCellTexts(const TTelegramList& list, const TTransactionTable& table, int position,
                    std::string& time, std::string& response);

// Columns of the statistics table, in order.
enum class StatisticsColumn : int {
    Drive,
    Requests,
    Responses,
    NoReply,
    NoRequest,
    Errors,
    MinMs,
    MeanMs,
    P95Ms,
    MaxMs,
};
constexpr int kStatisticsColumns = 10;
extern const std::array<std::string_view, kStatisticsColumns> kStatisticsHeaders;

// The drive column: the address byte as the "ID" column shows it (two hex digits).
std::string DriveLabel(int address);
// The drive column of a service row: "Read 0", "Write 17".
std::string ServiceLabel(const TServiceStats& service);
// Text of a counter column (not Drive); times in milliseconds with three decimals, empty when
// no time is known.
std::string CounterCellText(const TTransactionCounters& counters, StatisticsColumn column);
// Sort key of a counter column: the count, or the time in tenths of a microsecond, -1 when no
// time is known.
std::int64_t CounterSortValue(const TTransactionCounters& counters, StatisticsColumn column);

// The whole table as TAB-separated text with CR LF line ends: the header, then each drive followed
// by its services (their label indented by two blanks).
std::string StatisticsTableText(const TTransactionStats& stats);

} // namespace protmon
