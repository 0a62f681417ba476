#pragma once

#include <string>

namespace protmon {

// Fixed-point text with 0 to 4 decimals, from the value rounded to 15 significant digits and then
// half away from zero at the last decimal; no thousands separators; values with more than 15
// integer digits in general notation. A result that rounds to zero carries no minus sign.
void AppendFixed(std::string& out, double value, int decimals, char decimalSeparator);

// General notation: the shortest text with at most 15 significant digits; fixed-point when the
// magnitude is at least 0.00001 and there are at most 15 integer digits, else scientific with as
// few exponent digits as needed ("1E-6", "1.5E20").
void AppendGeneral(std::string& out, double value, char decimalSeparator);

} // namespace protmon
