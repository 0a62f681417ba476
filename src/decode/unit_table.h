#pragma once

#include <string_view>

namespace protmon {

// Unit of a parameter value by the unit number in bits 0-5 of a description's format word. Latin-1
// bytes (the degree sign is 0xB0); empty for "no unit" and for numbers outside 0 .. 63.
std::string_view UnitText(int unitNumber);

} // namespace protmon
