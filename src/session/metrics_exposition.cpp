#include "session/metrics_exposition.h"

#include "session/recorder_metrics.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <utility>

namespace protmon {

namespace {

enum class FamilyType { Counter, Gauge, Histogram };

struct TFamily {
    std::string_view Name; // counters without "_total": the OpenMetrics family name
    FamilyType Type;
    std::string_view Unit; // OpenMetrics unit, a suffix of the name; empty for none
    std::string_view Help;
};

// clang-format off
constexpr TFamily kRequests{"protmon_requests", FamilyType::Counter, "",
                            "Requests recorded, by drive, service and class."};
constexpr TFamily kResponses{"protmon_responses", FamilyType::Counter, "",
                             "Responses recorded, by the drive of their request."};
constexpr TFamily kUnanswered{"protmon_unanswered_requests", FamilyType::Counter, "",
                              "Requests no response took."};
constexpr TFamily kOrphans{"protmon_orphan_responses", FamilyType::Counter, "",
                           "Responses without a request of their own."};
constexpr TFamily kErrors{"protmon_error_responses", FamilyType::Counter, "",
                          "Responses that report an error."};
constexpr TFamily kTimes{"protmon_response_time_seconds", FamilyType::Histogram, "seconds",
                         "Time from a request to its response."};
constexpr TFamily kEntries{"protmon_entries_recorded", FamilyType::Counter, "",
                           "Entries written to the recording files."};
constexpr TFamily kReceiveErrors{"protmon_receive_errors", FamilyType::Counter, "",
                                 "Receive errors reported by the line, by kind."};
constexpr TFamily kDropped{"protmon_frames_dropped", FamilyType::Counter, "",
                           "Frames lost before they were recorded, by reason (system: datagrams over UDP)."};
constexpr TFamily kBusBytes{"protmon_bus_bytes", FamilyType::Counter, "bytes",
                            "Telegram bytes recorded, by line-monitor channel."};
constexpr TFamily kBusLoad{"protmon_bus_load_ratio", FamilyType::Gauge, "ratio",
                           "Bits on the wire over the baud rate in the last 10 s, by channel."};
constexpr TFamily kConnected{"protmon_device_connected", FamilyType::Gauge, "",
                             "1 while the capture device is open, else 0."};
constexpr TFamily kSinceLast{"protmon_seconds_since_last_telegram", FamilyType::Gauge, "",
                             "Seconds since the last telegram (since the start before one)."};
constexpr TFamily kFileChanges{"protmon_file_changes", FamilyType::Counter, "",
                               "Changes from one recording file to the next."};
constexpr TFamily kBuildInfo{"protmon_build_info", FamilyType::Gauge, "",
                             "The recorder's version; always 1."};
// clang-format on

constexpr std::array<std::string_view, kReceiveErrorKinds> kReceiveErrorNames = {
    "parity", "framing", "overrun", "bcc", "illegal_frame"};

using TLabels = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// Shortest text that reads back as the value, without an exponent ("0.0005", "2", "4.003902").
std::string NumberText(double value) {
    std::array<char, 400> text{};
    const auto r =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return std::string(text.data(), r.ptr);
}

std::string DriveText(int address) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", address & 0xFF);
    return text;
}

class TWriter {
public:
    explicit TWriter(ExpositionFormat format) : open_(format == ExpositionFormat::OpenMetrics) {}

    void Family(const TFamily& f) {
        const std::string name = MetadataName(f);
        if (open_) {
            out_ += "# TYPE " + name + " " + TypeText(f.Type) + "\n";
            if (!f.Unit.empty())
                out_ += "# UNIT " + name + " " + std::string(f.Unit) + "\n";
            out_ += "# HELP " + name + " " + std::string(f.Help) + "\n";
        } else {
            out_ += "# HELP " + name + " " + std::string(f.Help) + "\n";
            out_ += "# TYPE " + name + " " + TypeText(f.Type) + "\n";
        }
    }

    void Sample(const TFamily& f, std::string_view suffix, TLabels labels,
                const std::string& value) {
        out_ += f.Name;
        out_ += f.Type == FamilyType::Counter ? "_total" : suffix;
        if (labels.size() > 0) {
            char separator = '{';
            for (const auto& [key, text] : labels) {
                out_ += separator;
                out_ += key;
                out_ += "=\"";
                AppendEscaped(text);
                out_ += '"';
                separator = ',';
            }
            out_ += '}';
        }
        out_ += ' ';
        out_ += value;
        out_ += '\n';
    }
    void Sample(const TFamily& f, TLabels labels, std::uint64_t value) {
        Sample(f, {}, labels, std::to_string(value));
    }

    std::string Finish() {
        if (open_)
            out_ += "# EOF\n";
        return std::move(out_);
    }

private:
    std::string MetadataName(const TFamily& f) const {
        // The text format names a counter by its sample, OpenMetrics by its family.
        return std::string(f.Name) + (f.Type == FamilyType::Counter && !open_ ? "_total" : "");
    }
    static std::string TypeText(FamilyType type) {
        switch (type) {
        case FamilyType::Counter:
            return "counter";
        case FamilyType::Gauge:
            return "gauge";
        case FamilyType::Histogram:
            return "histogram";
        }
        return "unknown";
    }
    void AppendEscaped(std::string_view text) {
        for (const char c : text) {
            if (c == '\\' || c == '"')
                out_ += '\\';
            out_ += c == '\n' ? "\\n" : std::string(1, c);
        }
    }

    bool open_;
    std::string out_;
};

constexpr std::array<std::string_view, 2> kClassNames = {"read", "write"};

void WriteServiceFamily(TWriter& w, const TMetricsSnapshot& s, const TFamily& f,
                        std::uint64_t TServiceCounts::*field) {
    w.Family(f);
    for (const TDriveMetrics& d : s.Drives) {
        const std::string drive = DriveText(d.Address);
        for (const TServiceCounts& c : d.Services)
            w.Sample(f,
                     {{"drive", drive},
                      {"service", ServiceLabel(c.Key)},
                      {"class", kClassNames[(c.Key & 0x40) != 0 ? 1 : 0]}},
                     c.*field);
    }
}

bool HasClass(const TDriveMetrics& d, int cls) {
    for (const TServiceCounts& c : d.Services)
        if (((c.Key & 0x40) != 0 ? 1 : 0) == cls)
            return true;
    return false;
}

void WriteHistograms(TWriter& w, const TMetricsSnapshot& s) {
    w.Family(kTimes);
    for (const TDriveMetrics& d : s.Drives) {
        const std::string drive = DriveText(d.Address);
        for (int cls = 0; cls < 2; ++cls) {
            if (!HasClass(d, cls))
                continue;
            const TResponseTimeHistogram& h = d.Times[static_cast<std::size_t>(cls)];
            const std::string_view name = kClassNames[static_cast<std::size_t>(cls)];
            std::uint64_t cumulative = 0;
            for (std::size_t i = 0; i < h.Buckets.size(); ++i) {
                cumulative += h.Buckets[i];
                const std::string le = NumberText(kResponseTimeBucketsUs[i] / 1e6);
                w.Sample(kTimes, "_bucket", {{"drive", drive}, {"class", name}, {"le", le}},
                         std::to_string(cumulative));
            }
            w.Sample(kTimes, "_bucket", {{"drive", drive}, {"class", name}, {"le", "+Inf"}},
                     std::to_string(h.Count));
            w.Sample(kTimes, "_sum", {{"drive", drive}, {"class", name}},
                     NumberText(static_cast<double>(h.SumUs) / 1e6));
            w.Sample(kTimes, "_count", {{"drive", drive}, {"class", name}},
                     std::to_string(h.Count));
        }
    }
}

void WriteLineFamilies(TWriter& w, const TMetricsSnapshot& s,
                       std::chrono::steady_clock::time_point now) {
    w.Family(kEntries);
    w.Sample(kEntries, {}, s.Entries);
    w.Family(kReceiveErrors);
    for (std::size_t k = 0; k < kReceiveErrorKinds; ++k)
        w.Sample(kReceiveErrors, {{"kind", kReceiveErrorNames[k]}}, s.ReceiveErrors[k]);
    w.Family(kDropped);
    w.Sample(kDropped, {{"reason", "ring_full"}}, s.DroppedRingFull);
    w.Sample(kDropped, {{"reason", "system"}}, s.DroppedSystem);
    w.Family(kBusBytes);
    for (const TChannelMetrics& c : s.Channels)
        w.Sample(kBusBytes, {{"channel", std::to_string(c.Number)}}, c.Bytes);
    w.Family(kBusLoad);
    for (const TChannelMetrics& c : s.Channels)
        w.Sample(kBusLoad, {}, {{"channel", std::to_string(c.Number)}}, NumberText(c.LoadRatio));
    w.Family(kConnected);
    w.Sample(kConnected, {}, s.Connected ? 1 : 0);
    w.Family(kSinceLast);
    const double since = std::chrono::duration<double>(now - s.LastTelegram).count();
    w.Sample(kSinceLast, {}, {}, NumberText(since > 0 ? since : 0));
    w.Family(kFileChanges);
    w.Sample(kFileChanges, {}, s.FileChanges);
    w.Family(kBuildInfo);
    w.Sample(kBuildInfo, {{"version", s.Version}}, 1);
}

} // namespace

ExpositionFormat ExpositionFormatFor(std::string_view accept) {
    return accept.find("application/openmetrics-text") != std::string_view::npos
               ? ExpositionFormat::OpenMetrics
               : ExpositionFormat::Prometheus;
}

const char* ExpositionContentType(ExpositionFormat format) {
    return format == ExpositionFormat::OpenMetrics
               ? "application/openmetrics-text; version=1.0.0; charset=utf-8"
               : "text/plain; version=0.0.4; charset=utf-8";
}

std::string MetricsExposition(const TMetricsSnapshot& snapshot,
                              std::chrono::steady_clock::time_point now, ExpositionFormat format) {
    TWriter w(format);
    WriteServiceFamily(w, snapshot, kRequests, &TServiceCounts::Requests);
    WriteServiceFamily(w, snapshot, kResponses, &TServiceCounts::Responses);
    WriteServiceFamily(w, snapshot, kUnanswered, &TServiceCounts::Unanswered);
    w.Family(kOrphans);
    for (const TDriveMetrics& d : snapshot.Drives)
        w.Sample(kOrphans, {{"drive", DriveText(d.Address)}}, d.OrphanResponses);
    WriteServiceFamily(w, snapshot, kErrors, &TServiceCounts::ErrorResponses);
    WriteHistograms(w, snapshot);
    WriteLineFamilies(w, snapshot, now);
    return w.Finish();
}

} // namespace protmon
