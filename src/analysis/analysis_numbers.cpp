#include "analysis/analysis_numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace protmon {

double NiceTickStep(double span, int ticks) {
    if (!(span > 0) || !std::isfinite(span))
        return 1;
    const double raw = span / std::max(1, ticks);
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / decade;
    // The round step nearest above the raw one, so that there are at most about `ticks` steps.
    const double step = mantissa <= 1 ? 1 : mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10;
    return step * decade;
}

int StepDecimals(double step) {
    if (!(step > 0) || !std::isfinite(step))
        return 0;
    // 1e-9 absorbs the binary error of steps such as 0.1 (log10 gives -0.99999...).
    const int decimals = static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return std::clamp(decimals, 0, 9);
}

std::pair<double, double> DecadeRange(double low, double high) {
    if (!(low > 0) || !(high >= low) || !std::isfinite(high))
        return {1, 10};
    double from = std::pow(10.0, std::floor(std::log10(low)));
    double to = std::pow(10.0, std::ceil(std::log10(high)));
    if (to <= from)
        to = from * 10;
    return {from, to};
}

std::string MillisecondsText(double microseconds) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", microseconds / 1000);
    return text;
}

std::string ShortMillisecondsText(double microseconds) {
    std::string text = MillisecondsText(microseconds);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::string TrendTimeText(TimeBasis base, double x) {
    char text[48];
    switch (base) {
    case TimeBasis::Receive:
        std::snprintf(text, sizeof text, "%.3f s", x);
        break;
    case TimeBasis::LineMonitor:
        std::snprintf(text, sizeof text, "%.6f s", x);
        break;
    case TimeBasis::Position:
        std::snprintf(text, sizeof text, "%.0f", x);
        break;
    }
    return text;
}

std::string_view TimeColumnHeader(TimeBasis base) {
    return base == TimeBasis::LineMonitor ? "Time [\xB5s]" : "Time";
}

} // namespace protmon
