#include "descriptions/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace protmon {

namespace {

constexpr int kPrecision = 15;

// A finite value as up to 15 significant decimal digits: value = 0.d1d2...dn x 10^point.
struct TDecimal {
    char digits[kPrecision + 1] = {};
    int count = 0; // significant digits held (0 for zero)
    int point = 0; // position of the decimal point relative to the first digit
    bool negative = false;
};

TDecimal ToDecimal(double value) {
    TDecimal d;
    d.negative = std::signbit(value);
    if (value == 0)
        return d;
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, kPrecision - 1);
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.')
            d.digits[d.count++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
    d.point = exponent + 1;
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    return d;
}

// Rounds half away from zero so that no digit lies right of decimal place `decimals`.
void RoundAt(TDecimal& d, int decimals) {
    const int keep = d.point + decimals;
    if (keep >= d.count)
        return;
    if (keep < 0) {
        d.count = 0;
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.count = keep;
    if (!up)
        return;
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9')
        --i;
    if (i < 0) { // 999.5 -> 1000
        d.digits[0] = '1';
        d.count = 1;
        ++d.point;
        return;
    }
    ++d.digits[i];
    d.count = i + 1;
}

char DigitAt(const TDecimal& d, int position) {
    return position >= 0 && position < d.count ? d.digits[position] : '0';
}

void AppendScientific(std::string& out, const TDecimal& d, char sep) {
    out += d.digits[0];
    if (d.count > 1) {
        out += sep;
        out.append(d.digits + 1, static_cast<std::size_t>(d.count - 1));
    }
    out += 'E';
    char buf[8];
    const auto res = std::to_chars(buf, buf + sizeof buf, d.point - 1);
    out.append(buf, res.ptr);
}

void AppendPositional(std::string& out, const TDecimal& d, int decimals, char sep) {
    if (d.point <= 0)
        out += '0';
    for (int i = 0; i < d.point; ++i)
        out += DigitAt(d, i);
    if (decimals > 0)
        out += sep;
    for (int i = 0; i < decimals; ++i)
        out += DigitAt(d, d.point + i);
}

} // namespace

void AppendFixed(std::string& out, double value, int decimals, char decimalSeparator) {
    TDecimal d = ToDecimal(value);
    if (d.point > kPrecision) {
        AppendGeneral(out, value, decimalSeparator);
        return;
    }
    RoundAt(d, decimals);
    if (d.negative && d.count > 0)
        out += '-';
    AppendPositional(out, d, decimals, decimalSeparator);
}

void AppendGeneral(std::string& out, double value, char decimalSeparator) {
    const TDecimal d = ToDecimal(value);
    if (d.count == 0) {
        out += '0';
        return;
    }
    if (d.negative)
        out += '-';
    if (d.point >= -4 && d.point <= kPrecision)
        AppendPositional(out, d, std::max(0, d.count - d.point), decimalSeparator);
    else
        AppendScientific(out, d, decimalSeparator);
}

} // namespace protmon
