#include "analysis/transaction_stats.h"
#include "analysis/transaction_table.h"
#include "app/protmon-cli/commands.h"
#include "app/protmon-cli/decode_filter.h"
#include "files/recording_file.h"

#include <cstdio>
#include <optional>

namespace protmon::cli {

namespace {

void AppendTenths(std::string& out, std::int64_t tenths) {
    out += std::to_string(tenths / 10);
    out += '.';
    out += std::to_string(tenths % 10);
}

void AppendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
}

void AppendJsonCounters(std::string& out, const TTransactionCounters& c) {
    out += "\"requests\": " + std::to_string(c.Requests);
    out += ", \"responses\": " + std::to_string(c.Responses);
    out += ", \"unanswered\": " + std::to_string(c.Unanswered);
    out += ", \"error_responses\": " + std::to_string(c.ErrorResponses);
    out += ", \"orphan_responses\": " + std::to_string(c.OrphanResponses);
    out += ", \"response_time_us\": ";
    const TResponseTimeSummary& t = c.Times;
    if (t.Count == 0) {
        out += "null";
        return;
    }
    out += "{\"count\": " + std::to_string(t.Count) + ", \"min\": " + std::to_string(t.MinUs) +
           ", \"mean\": ";
    AppendTenths(out, t.MeanTenthsUs);
    out += ", \"p95\": " + std::to_string(t.P95Us) + ", \"max\": " + std::to_string(t.MaxUs) + "}";
}

std::string JsonText(const TTransactionStats& stats) {
    std::string out = "{\"entries\": " + std::to_string(stats.Entries) + ", \"status\": {";
    for (std::size_t i = 0; i < stats.Status.size(); ++i) {
        out += i > 0 ? ", " : "";
        AppendJsonString(out, stats.Status[i].first);
        out += ": " + std::to_string(stats.Status[i].second);
    }
    out += "}, \"drives\": [";
    for (std::size_t d = 0; d < stats.Drives.size(); ++d) {
        const TDriveStats& drive = stats.Drives[d];
        out += d > 0 ? ", " : "";
        out += "{\"address\": " + std::to_string(drive.Address) + ", ";
        AppendJsonCounters(out, drive.Counters);
        out += ", \"services\": [";
        for (std::size_t s = 0; s < drive.Services.size(); ++s) {
            const TServiceStats& service = drive.Services[s];
            out += s > 0 ? ", " : "";
            out += "{\"service\": " + std::to_string(service.Service) + ", \"class\": \"";
            out += service.Write ? "write" : "read";
            out += "\", ";
            AppendJsonCounters(out, service.Counters);
            out += "}";
        }
        out += "]}";
    }
    out += "]}\n";
    return out;
}

void AppendTableLine(std::string& out, const char* drive, const std::string& service,
                     const TTransactionCounters& c) {
    const TResponseTimeSummary& t = c.Times;
    char line[200];
    // Each number column keeps one blank before it, so a figure wider than its column (response
    // times of a huge time-stamp resolution) still stands apart from its neighbour.
    std::snprintf(line, sizeof line, "%-6s%-10s %8lld %9lld %8lld %10lld %6lld %6lld", drive,
                  service.c_str(), static_cast<long long>(c.Requests),
                  static_cast<long long>(c.Responses), static_cast<long long>(c.Unanswered),
                  static_cast<long long>(c.OrphanResponses),
                  static_cast<long long>(c.ErrorResponses), static_cast<long long>(t.Count));
    out += line;
    if (t.Count > 0) {
        std::snprintf(line, sizeof line, " %9lld %9lld.%lld %9lld %9lld",
                      static_cast<long long>(t.MinUs), static_cast<long long>(t.MeanTenthsUs / 10),
                      static_cast<long long>(t.MeanTenthsUs % 10), static_cast<long long>(t.P95Us),
                      static_cast<long long>(t.MaxUs));
        out += line;
    }
    out += '\n';
}

std::string TableText(const TTransactionStats& stats) {
    std::string out = "Entries: " + std::to_string(stats.Entries) + "\nStatus:";
    for (std::size_t i = 0; i < stats.Status.size(); ++i)
        out += (i > 0 ? ", " : " ") + stats.Status[i].first + ": " +
               std::to_string(stats.Status[i].second);
    out += stats.Status.empty() ? " none\n" : "\n";
    out += "Drive Service    Requests Responses No reply No request Errors  Times   Min[us]  "
           "Mean[us]   P95[us]   Max[us]\n";
    for (const TDriveStats& d : stats.Drives) {
        char address[8];
        std::snprintf(address, sizeof address, "%d", d.Address);
        AppendTableLine(out, address, "", d.Counters);
        for (const TServiceStats& s : d.Services)
            AppendTableLine(out, "", (s.Write ? "write " : "read ") + std::to_string(s.Service),
                            s.Counters);
    }
    return out;
}

} // namespace

int RunStats(const TCliOptions& options) {
    TTelegramList list;
    TCaptureSettings settings;
    const TMonitorFileResult r = ReadRecording(options.Input, list, settings);
    if (ReportRefusedInput(options, r))
        return kExitFileError;
    TTransactionTable table;
    table.Rebuild(list, {settings.Selection, settings.SourceFlags, settings.TimeStampResolution});
    // The rows of the filtered display are counted; pairs come from the whole list.
    std::optional<std::vector<bool>> counted;
    if (const auto shown = FilteredPositions(options, list)) {
        counted.emplace(static_cast<std::size_t>(table.Size()), false);
        for (const int position : *shown)
            (*counted)[static_cast<std::size_t>(ArrivalIndexOf(list, position))] = true;
    }
    const TTransactionStats stats = ComputeStatistics(table, counted ? &*counted : nullptr);
    TOutputBuffer out(stdout);
    out.Text() = options.Json ? JsonText(stats) : TableText(stats);
    return FinishDecode(options, r, out.Flush());
}

} // namespace protmon::cli
