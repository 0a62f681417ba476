#include "session/capture_summary.h"

#include <array>
#include <cstdio>
#include <utility>

namespace protmon {

namespace {

constexpr std::array<std::pair<CaptureEnd, std::string_view>, 9> kEndTexts{{
    {CaptureEnd::Running, "running"},
    {CaptureEnd::Stopped, "stopped"},
    {CaptureEnd::Count, "count"},
    {CaptureEnd::Time, "time"},
    {CaptureEnd::Signal, "signal"},
    {CaptureEnd::DeviceLost, "device lost"},
    {CaptureEnd::Trigger, "trigger"},
    {CaptureEnd::OutputError, "output error"},
    {CaptureEnd::WriteError, "write error"},
}};

std::string Seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", s);
    return text;
}

} // namespace

std::string_view CaptureEndText(CaptureEnd end) {
    for (const auto& [e, text] : kEndTexts)
        if (e == end)
            return text;
    return "stopped";
}

std::string SummaryText(const TCaptureSummary& s) {
    return "Capture ended (" + std::string(CaptureEndText(s.End)) + ") after " +
           Seconds(s.Seconds) + " s: " + std::to_string(s.Entries) +
           " entries, RxErrors:" + std::to_string(s.RxErrors) +
           ", dropped by a full ring: " + std::to_string(s.RingDrops) +
           ", dropped by the system: " + std::to_string(s.SystemDrops) + "\n";
}

std::string BadDatagramsText(const TCaptureSummary& s) {
    return s.Datagrams ? "Bad datagrams: " + std::to_string(s.BadDatagrams) + "\n" : std::string();
}

std::string SummaryJson(const TCaptureSummary& s) {
    const std::string bad =
        s.Datagrams ? ", \"bad_datagrams\": " + std::to_string(s.BadDatagrams) : std::string();
    return "{\"entries\": " + std::to_string(s.Entries) +
           ", \"rx_errors\": " + std::to_string(s.RxErrors) +
           ", \"ring_drops\": " + std::to_string(s.RingDrops) +
           ", \"system_drops\": " + std::to_string(s.SystemDrops) + bad + ", \"end\": \"" +
           std::string(CaptureEndText(s.End)) + "\", \"seconds\": " + Seconds(s.Seconds) + "}\n";
}

} // namespace protmon
