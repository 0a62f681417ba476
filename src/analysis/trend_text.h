#pragma once

#include "analysis/value_series.h"

#include <string>
#include <vector>

namespace protmon {

// Texts of the trend windows, as 8-bit text of the description set's code page.

// "02 P-0080 Output frequency [Hz]": drive, identifier and name (else the address), unit.
std::string TrendCurveTitle(const TValueSeries& series);

// A point's value as the decoder writes it: with the parameter's decimals and unit, the plain
// text of a plain-text parameter, else the raw number.
std::string TrendValueText(const TTrendContext& ctx, const TValueSeries& series,
                           const TValuePoint& point);

} // namespace protmon
