#include "filter/number_parse.h"

#include <cctype>

namespace protmon {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Reads digits as an unsigned value, giving up above `limit`.
std::optional<std::uint64_t> ReadDigits(std::string_view digits, unsigned base,
                                        std::uint64_t limit) {
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = HexValue(c);
        if (d < 0 || static_cast<unsigned>(d) >= base)
            return std::nullopt;
        value = value * base + static_cast<unsigned>(d);
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> ReadDecimal(bool negative, std::string_view text) {
    const std::uint64_t limit = negative ? 2147483648ULL : 2147483647ULL;
    const auto v = ReadDigits(text, 10, limit);
    if (!v)
        return std::nullopt;
    const auto magnitude = static_cast<std::int64_t>(*v);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

// A decimal number with an optional leading "-".
std::optional<std::int32_t> ReadSignedDecimal(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    return ReadDecimal(negative, negative ? text.substr(1) : text);
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::int32_t ParseNumberText(std::string_view text) {
    // Works on the caller's text without copying: the trigger tests every captured entry.
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed.empty())
        return 0;
    const bool hex = std::toupper(static_cast<unsigned char>(trimmed.back())) == 'H';
    std::size_t end = 0;
    while (end < trimmed.size()) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(trimmed[end])));
        const bool allowed = (c >= '0' && c <= '9') || (hex && IsHexDigit(c)) || (!hex && c == '-');
        if (!allowed)
            break;
        ++end;
    }
    const std::string_view kept = trimmed.substr(0, end);
    if (kept.empty())
        return 0;
    if (hex) {
        const auto v = ReadDigits(kept, 16, 0xFFFFFFFFULL);
        return v ? static_cast<std::int32_t>(static_cast<std::uint32_t>(*v)) : 0;
    }
    return ReadSignedDecimal(kept).value_or(0);
}

std::optional<std::int32_t> ParseIntegerText(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    std::string_view hexDigits;
    bool hex = false;
    if (!text.empty() && text[0] == '$') {
        hex = true;
        hexDigits = text.substr(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = true;
        hexDigits = text.substr(2);
    }
    if (hex) {
        const auto v = ReadDigits(hexDigits, 16, 0xFFFFFFFFULL);
        if (!v)
            return std::nullopt;
        const auto pattern = static_cast<std::int32_t>(static_cast<std::uint32_t>(*v));
        return negative ? static_cast<std::int32_t>(0U - static_cast<std::uint32_t>(pattern))
                        : pattern;
    }
    return ReadDecimal(negative, text);
}

} // namespace protmon
