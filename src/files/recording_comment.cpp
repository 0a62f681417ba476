#include "files/recording_comment.h"

#include "files/export_times.h"

#include <array>
#include <charconv>

namespace protmon {

namespace {

constexpr std::string_view kTitle = "Protocol Monitor recording";
constexpr std::string_view kPortKey = "Port";
constexpr std::string_view kTimesKey = "Times";

constexpr std::array<const char*, kTimeBasisCount> kBasisTexts = {
    "receive times, since 1970-01-01 UTC",
    "line monitor time stamps, from the first stamped entry",
    "position in milliseconds from 0 (no time recorded)",
};

// "Key: value" split at the first ": ".
bool SplitLine(std::string_view line, std::string_view& key, std::string_view& value) {
    const auto colon = line.find(": ");
    if (colon == std::string_view::npos)
        return false;
    key = line.substr(0, colon);
    value = line.substr(colon + 2);
    return true;
}

int FieldByName(std::string_view name) {
    for (int f = 0; f < kHeaderFieldCount; ++f)
        if (name == HeaderFieldName(f))
            return f;
    return -1;
}

} // namespace

std::string OneLine(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c != 0x7F)
            out += ch;
    }
    return out;
}

std::string MakeRecordingComment(const TRecordingComment& c) {
    std::string out(kTitle);
    out += '\n';
    for (int f = 0; f < kHeaderFieldCount; ++f) {
        out += HeaderFieldName(f);
        out += ": ";
        out += std::to_string(c.Header[static_cast<std::size_t>(f)]);
        out += '\n';
    }
    const std::string port = OneLine(c.PortText);
    if (!port.empty()) {
        out += kPortKey;
        out += ": " + port + '\n';
    }
    std::string times;
    for (std::size_t b = 0; b < kBasisTexts.size(); ++b) {
        if ((c.TimeBases & (1u << b)) == 0)
            continue;
        times += times.empty() ? "" : "; ";
        times += kBasisTexts[b];
    }
    if (!times.empty()) {
        out += kTimesKey;
        out += ": " + times + '\n';
    }
    return out;
}

bool ParseRecordingComment(std::string_view text, TRecordingComment& out) {
    out = TRecordingComment{};
    std::array<bool, kHeaderFieldCount> seen{};
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string_view key;
        std::string_view value;
        if (!SplitLine(line, key, value))
            continue;
        if (key == kPortKey) {
            // As the writer stores it: a port text read back is the one exported again.
            out.PortText = OneLine(value);
            continue;
        }
        const int field = FieldByName(key);
        if (field < 0)
            continue;
        std::int32_t number = 0;
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
        if (ec != std::errc() || ptr != value.data() + value.size())
            return false;
        out.Header[static_cast<std::size_t>(field)] = number;
        seen[static_cast<std::size_t>(field)] = true;
    }
    for (const bool s : seen)
        if (!s)
            return false;
    return true;
}

} // namespace protmon
