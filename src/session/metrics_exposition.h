#pragma once

#include "session/metrics_snapshot.h"

#include <chrono>
#include <string>
#include <string_view>

namespace protmon {

enum class ExpositionFormat { Prometheus, OpenMetrics };

// The format a scraper asks for in its Accept header: OpenMetrics when it names
// application/openmetrics-text, the Prometheus text format 0.0.4 otherwise.
ExpositionFormat ExpositionFormatFor(std::string_view accept);
// The Content-Type of a format.
const char* ExpositionContentType(ExpositionFormat format);

// Every series of a snapshot in the given format; `now` dates the seconds since the last telegram.
std::string MetricsExposition(const TMetricsSnapshot& snapshot,
                              std::chrono::steady_clock::time_point now, ExpositionFormat format);

} // namespace protmon
