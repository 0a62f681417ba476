#include "analysis/transaction_text.h"

#include <cstdio>
#include <ctime>

namespace protmon {

const std::array<std::string_view, kStatisticsColumns> kStatisticsHeaders = {
    "Drive",  "Requests", "Responses", "No reply", "No request",
    "Errors", "Min [ms]", "Mean [ms]", "P95 [ms]", "Max [ms]",
};

namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;

std::string LocalIsoTime(std::int64_t nanoseconds) {
    std::int64_t seconds = nanoseconds / kNanosecondsPerSecond;
    std::int64_t rest = nanoseconds % kNanosecondsPerSecond;
    if (rest < 0) {
        rest += kNanosecondsPerSecond;
        --seconds;
    }
    const auto t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return {};
    char text[48];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(rest / 1'000'000));
    return text;
}

// Tenths of a microsecond as milliseconds with three decimals, rounded half up.
std::string TenthsAsMs(std::int64_t tenths) {
    const std::int64_t us = (tenths + 5) / 10;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(us / 1000),
                  static_cast<long long>(us % 1000));
    return text;
}

} // namespace

std::string EntryTimeText(const TTelEntry& entry, int resolutionUs) {
    if (entry.ReceiveTime != 0)
        return LocalIsoTime(entry.ReceiveTime);
    if (entry.Channel != kNoChannel && resolutionUs > 0)
        return std::to_string(std::int64_t{entry.TimeStamp} * resolutionUs);
    return {};
}

std::string ResponseCellText(const TTransactionTable& table, int index) {
    if (index < 0 || index >= table.Size())
        return {};
    const TTransaction& t = table.At(index);
    if (t.Role == TransactionRole::Request)
        return t.Answers == 0 ? std::string(kNoReplyText) : std::string();
    if (IsOrphan(t))
        return std::string(kNoRequestText);
    if (t.Role == TransactionRole::Response && t.ResponseTimeUs != kUnknownTime)
        return std::to_string(t.ResponseTimeUs);
    return {};
}

void ExtraCellTexts(const TTelegramList& list, const TTransactionTable& table, int position,
                    std::string& time, std::string& response) {
    time.clear();
    response.clear();
    const TTelEntry* e = list.At(position);
    if (e == nullptr)
        return;
    time = EntryTimeText(*e, table.Settings().TimeStampResolution);
    if (table.Size() == list.Count())
        response = ResponseCellText(table, ArrivalIndexOf(list, position));
}

std::string DriveLabel(int address) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", address & 0xFF);
    return text;
}

std::string ServiceLabel(const TServiceStats& service) {
    return (service.Write ? "Write " : "Read ") + std::to_string(service.Service);
}

std::int64_t CounterSortValue(const TTransactionCounters& c, StatisticsColumn column) {
    const TResponseTimeSummary& t = c.Times;
    const bool timed = t.Count > 0;
    switch (column) {
    case StatisticsColumn::Requests:
        return c.Requests;
    case StatisticsColumn::Responses:
        return c.Responses;
    case StatisticsColumn::NoReply:
        return c.Unanswered;
    case StatisticsColumn::NoRequest:
        return c.OrphanResponses;
    case StatisticsColumn::Errors:
        return c.ErrorResponses;
    case StatisticsColumn::MinMs:
        return timed ? t.MinUs * 10 : -1;
    case StatisticsColumn::MeanMs:
        return timed ? t.MeanTenthsUs : -1;
    case StatisticsColumn::P95Ms:
        return timed ? t.P95Us * 10 : -1;
    case StatisticsColumn::MaxMs:
        return timed ? t.MaxUs * 10 : -1;
    case StatisticsColumn::Drive:
        break;
    }
    return 0;
}

std::string CounterCellText(const TTransactionCounters& c, StatisticsColumn column) {
    const std::int64_t value = CounterSortValue(c, column);
    switch (column) {
    case StatisticsColumn::MinMs:
    case StatisticsColumn::MeanMs:
    case StatisticsColumn::P95Ms:
    case StatisticsColumn::MaxMs:
        return value < 0 ? std::string() : TenthsAsMs(value);
    case StatisticsColumn::Drive:
        return {};
    default:
        return std::to_string(value);
    }
}

namespace {

void AppendLine(std::string& out, const std::string& label, const TTransactionCounters& c) {
    out += label;
    for (int column = 1; column < kStatisticsColumns; ++column) {
        out += '\t';
        out += CounterCellText(c, static_cast<StatisticsColumn>(column));
    }
    out += "\r\n";
}

} // namespace

std::string StatisticsTableText(const TTransactionStats& stats) {
    std::string out;
    for (int column = 0; column < kStatisticsColumns; ++column) {
        if (column > 0)
            out += '\t';
        out += kStatisticsHeaders[static_cast<std::size_t>(column)];
    }
    out += "\r\n";
    for (const TDriveStats& d : stats.Drives) {
        AppendLine(out, DriveLabel(d.Address), d.Counters);
        for (const TServiceStats& s : d.Services)
            AppendLine(out, "  " + ServiceLabel(s), s.Counters);
    }
    return out;
}

} // namespace protmon
