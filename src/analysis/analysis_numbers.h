#pragma once

#include "analysis/trend_time.h"

#include <string>
#include <string_view>
#include <utility>

namespace protmon {

// Numbers and units as the analysis windows show them: response times in milliseconds, axis
// ticks on round numbers, readouts no finer than their data.

// Step between axis ticks: 1, 2 or 5 times a power of ten, chosen so that `span` holds about
// `ticks` steps (at least one). A span that is not positive gives 1.
double NiceTickStep(double span, int ticks);
// Decimals a label needs to tell ticks `step` apart: 0 for whole steps, 1 for 0.5 or 0.2, ...
int StepDecimals(double step);

// The powers of ten around [low, high] (both positive): a logarithmic axis labelled at its ends.
// A range inside one decade gets that decade.
std::pair<double, double> DecadeRange(double low, double high);

// A response time in microseconds as milliseconds with three decimals ("2.600"), the unit not
// included; the Statistics window writes its times so.
std::string MillisecondsText(double microseconds);
// The same with trailing zeros (and a bare point) dropped: "0.05", "2", "1.5".
std::string ShortMillisecondsText(double microseconds);

// The time of a trend point as the readout shows it, with its unit: seconds since the first entry
// to the millisecond (receive times) or the microsecond (line-monitor stamps), or the position.
std::string TrendTimeText(TimeBasis base, double x);

// Headers of the optional list columns: the response time is in microseconds; the time column
// names its unit where its cells are numbers (line-monitor stamps in microseconds), not where they
// are clock times.
inline constexpr std::string_view kResponseColumnHeader = "Response [\xB5s]";
std::string_view TimeColumnHeader(TimeBasis base);

} // namespace protmon
