#include "detect/detect_text.h"

#include "capture/capture_control.h"
#include "capture/port_failure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace protmon {

namespace {

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string RowJson(const TCandidateResult& c) {
    const TDetectEvidence& e = c.Evidence;
    return "{\"baud\":" + std::to_string(c.Setting.Baud) +
           ",\"framing\":" + Quoted(FramingText(c.Setting)) +
           ",\"protocol\":" + Quoted(ProtocolText(c.Protocol)) +
           ",\"telegrams\":" + std::to_string(e.Telegrams) +
           ",\"bytes\":" + std::to_string(e.Bytes) +
           ",\"explained\":" + Fixed(ExplainedShare(c), 3) +
           ",\"errors\":" + std::to_string(e.ErrorBytes) + ",\"score\":" + Fixed(c.Score, 1) + "}";
}

} // namespace

std::array<std::string, kDetectColumns.size()> DetectRowTexts(const TCandidateResult& c) {
    const TDetectEvidence& e = c.Evidence;
    const bool raw = c.Protocol == DetectProtocol::Raw;
    return {std::to_string(c.Setting.Baud) + " " + FramingText(c.Setting),
            ProtocolText(c.Protocol),
            raw ? std::string("-") : std::to_string(e.Telegrams),
            std::to_string(std::lround(100.0 * ExplainedShare(c))) + " %",
            std::to_string(e.ErrorBytes),
            Fixed(c.Score, 1)};
}

std::string DetectTableText(const std::vector<TCandidateResult>& ranked, std::size_t maxRows) {
    std::vector<std::array<std::string, kDetectColumns.size()>> rows;
    rows.push_back({});
    for (std::size_t k = 0; k < kDetectColumns.size(); ++k)
        rows.back()[k] = kDetectColumns[k];
    for (std::size_t i = 0; i < ranked.size() && i < maxRows; ++i)
        rows.push_back(DetectRowTexts(ranked[i]));
    std::array<std::size_t, kDetectColumns.size()> width{};
    for (const auto& row : rows) {
        for (std::size_t k = 0; k < row.size(); ++k)
            width[k] = std::max(width[k], row[k].size());
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t k = 0; k < row.size(); ++k) {
            const std::string pad(width[k] - row[k].size(), ' ');
            // Setting and protocol to the left, the numbers to the right.
            line += k < 2 ? row[k] + pad : pad + row[k];
            if (k + 1 < row.size())
                line += "  ";
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\n";
    }
    return out;
}

std::string DetectFailureText(const TDetectOutcome& outcome, const std::string& source, bool udp) {
    if (outcome.Status == kPortOk)
        return {};
    if (outcome.Status == kPortNoAnswer)
        return kTextNoAnswer;
    if (udp)
        return "cannot listen for the line monitor at " + source;
    return "cannot open " + source + ": " + PortFailureDetail(source, outcome.OpenErrno);
}

std::string DetectJson(const TDetectOutcome& outcome, int linkBaud) {
    const TDetectVerdict& v = outcome.Verdict;
    const bool found = v.Kind == VerdictKind::Found;
    std::string out = "{\"baud\":" + (found ? std::to_string(v.Best.Setting.Baud) : "null");
    out += ",\"framing\":" + (found ? Quoted(FramingText(v.Best.Setting)) : "null");
    out += ",\"protocol\":" + (found ? Quoted(ProtocolText(v.Best.Protocol)) : "null");
    out += ",\"verdict\":" + Quoted(VerdictText(v));
    out += ",\"seconds\":" + Fixed(outcome.Seconds, 2);
    if (outcome.Path == DetectPath::Box)
        out += ",\"link_baud\":" + (linkBaud > 0 ? std::to_string(linkBaud) : "null");
    out += ",\"candidates\":[";
    for (std::size_t i = 0; i < outcome.Ranked.size(); ++i)
        out += (i > 0 ? "," : "") + RowJson(outcome.Ranked[i]);
    return out + "]}\n";
}

} // namespace protmon
