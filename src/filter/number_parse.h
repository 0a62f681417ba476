#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace protmon {

// Number as typed into a filter or trigger field: a trailing "H" means hexadecimal, the first
// character that does not belong to the number ends it, and anything unreadable is 0. Never fails.
std::int32_t ParseNumberText(std::string_view text);

// Strict integer as an input box reads it: optional leading blanks and sign, then decimal digits,
// or hexadecimal digits after "$" or "0x". Anything else, trailing blanks included, is no number.
// Hexadecimal takes up to 8 digits as a 32-bit pattern; decimal must fit 32 bits signed.
std::optional<std::int32_t> ParseIntegerText(std::string_view text);

// `text` without blanks at both ends.
std::string_view TrimBlanks(std::string_view text);

} // namespace protmon
