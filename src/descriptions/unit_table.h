#pragma once

#include <string_view>

namespace protmon {

// Unit text of a unit number (Format bits 0-5); empty for "no unit" and numbers outside 0 .. 63.
// The degree sign is the 8-bit byte 0xB0.
std::string_view UnitText(unsigned unitNumber);

} // namespace protmon
