#include "descriptions/description_records.h"
#include "descriptions/number_format.h"
#include "descriptions/unit_table.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <optional>

namespace protmon {

namespace {

void AppendInt(std::string& out, long long v) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, res.ptr);
}

// Step 2 of the value text: the scaled value, or nothing when the arithmetic fails.
std::optional<double> Scale(const TParaRec& p, std::int32_t value) {
    // The sum wraps in 32 bits before it is scaled.
    const auto sum = static_cast<std::int32_t>(static_cast<std::uint32_t>(p.Offset) +
                                               static_cast<std::uint32_t>(value));
    switch (FormatScaling(p.Format)) {
    case 0:
        if (p.Divisor == 0)
            return std::nullopt;
        return static_cast<double>(sum) * p.Multiplier / p.Divisor;
    case 1: {
        const double denominator = static_cast<double>(sum) * p.Divisor;
        if (denominator == 0)
            return std::nullopt;
        return p.Multiplier / denominator;
    }
    default:
        return static_cast<double>(value);
    }
}

void AppendDotted(std::string& out, std::int32_t value, ValueWidth width) {
    const auto u = static_cast<std::uint32_t>(value);
    const int bytes = width == ValueWidth::Long ? 4 : width == ValueWidth::Byte ? 1 : 2;
    for (int i = bytes - 1; i >= 0; --i) {
        AppendInt(out, (u >> (8 * i)) & 0xFF);
        if (i > 0)
            out += '.';
    }
}

bool AppendHex(std::string& out, double v, ValueWidth width) {
    // The range of a 64-bit integer; 2^63 itself is already outside.
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0))
        return false;
    const auto u = static_cast<std::uint64_t>(static_cast<std::int64_t>(v));
    const int minDigits = width == ValueWidth::Byte ? 2 : width == ValueWidth::Word ? 4 : 8;
    char buf[17];
    const auto res = std::to_chars(buf, buf + sizeof buf, u, 16);
    int len = static_cast<int>(res.ptr - buf);
    const char* start = buf;
    if (len > 8) { // negative or beyond 32 bits: the last 8 digits
        start = res.ptr - 8;
        len = 8;
    }
    out.append(static_cast<std::size_t>(std::max(0, minDigits - len)), '0');
    for (int i = 0; i < len; ++i)
        out += static_cast<char>(start[i] >= 'a' ? start[i] - 'a' + 'A' : start[i]);
    out += 'h';
    return true;
}

bool AppendNumber(std::string& out, const TParaRec& p, std::int32_t value, double v,
                  char decimalSeparator) {
    if (!std::isfinite(v))
        return false;
    const unsigned display = FormatDisplay(p.Format);
    if (display <= 4)
        AppendFixed(out, v, static_cast<int>(display), decimalSeparator);
    else if (display == 5)
        AppendGeneral(out, v, decimalSeparator);
    else if (display == 7)
        AppendDotted(out, value, p.Width());
    else
        return AppendHex(out, v, p.Width());
    return true;
}

} // namespace

void TParaRec::AppendFormattedValue(std::string& out, std::int32_t value,
                                    char decimalSeparator) const {
    const std::size_t start = out.size();
    const std::optional<double> v = Scale(*this, value);
    if (!v || !AppendNumber(out, *this, value, *v, decimalSeparator)) {
        out.resize(start);
        out += kValueErrorText;
        return;
    }
    const std::string_view unit = UnitText(FormatUnit(Format));
    if (!unit.empty()) {
        out += ' ';
        out += unit;
    }
}

void TParaRec::AppendValueText(std::string& out, std::int32_t value, int language,
                               std::string_view separator, bool appendValue,
                               char decimalSeparator) const {
    if (language > 1)
        language = 0;
    const std::size_t start = out.size();
    auto separate = [&] {
        if (out.size() > start)
            out += separator;
    };
    if (PlainText != nullptr) {
        for (const TDefRec& field : PlainText->Fields) {
            const std::int32_t masked = value & field.Mask;
            bool matched = false;
            for (const TSubRec& sub : field.Values) {
                if (sub.Value != masked)
                    continue;
                separate();
                out += sub.GetName(language);
                matched = true;
            }
            if (matched || (Flags & kFlagNoNumber) != 0)
                continue;
            separate();
            const auto mask = static_cast<std::uint32_t>(field.Mask);
            const int shift = mask == 0 ? 32 : std::countr_zero(mask);
            const std::uint32_t shifted =
                shift >= 32 ? 0 : static_cast<std::uint32_t>(masked) >> shift;
            AppendFormattedValue(out, static_cast<std::int32_t>(shifted), decimalSeparator);
            appendValue = false;
        }
    }
    if ((Flags & kFlagNoSuffix) != 0)
        appendValue = false;
    if (out.size() == start) {
        AppendFormattedValue(out, value, decimalSeparator);
        return;
    }
    if (appendValue) {
        out += ": ";
        AppendInt(out, value);
    }
}

} // namespace protmon

namespace protmon {

std::string TParaRec::GetValueText(std::int32_t value, int language, std::string_view separator,
                                   bool appendValue, char decimalSeparator) const {
    std::string out;
    AppendValueText(out, value, language, separator, appendValue, decimalSeparator);
    return out;
}

std::optional<double> TParaRec::ScaledValue(std::int32_t value) const {
    const std::optional<double> v = Scale(*this, value);
    if (!v || !std::isfinite(*v))
        return std::nullopt;
    return FormatDisplay(Format) == 7 ? static_cast<double>(value) : *v;
}

std::string TParaRec::FormatValue(std::int32_t value, char decimalSeparator) const {
    std::string out;
    AppendFormattedValue(out, value, decimalSeparator);
    return out;
}

} // namespace protmon
