#include "descriptions/unit_table.h"

#include <array>

namespace protmon {

namespace {

// Indexed by Format bits 0-5. "\xB0" is the degree sign of the 8-bit code page.
constexpr std::array<std::string_view, 64> kUnits = {
    "",
    "mm",
    "cm",
    "m",
    "km",
    "g",
    "kg",
    "us", // 0-7
    "ms",
    "s",
    "h",
    "Nm",
    "kNm",
    "m/s",
    "m/s2",
    "m/s3", // 8-15
    "km/h",
    "1/min",
    "Hz",
    "kHz",
    "mV",
    "V",
    "kV",
    "mW", // 16-23
    "W",
    "kW",
    "VA",
    "kVA",
    "mA",
    "A",
    "kA",
    "\xB0"
    "C", // 24-31
    "K",
    "mOhm",
    "Ohm",
    "kOhm",
    "Inc",
    "%",
    "KWh",
    "mH", // 32-39
    "",
    "",
    "in",
    "ft",
    "yd",
    "oz",
    "lb",
    "lbft", // 40-47
    "lbin",
    "in/s",
    "ft/s",
    "ft/min",
    "ft/s2",
    "ft/s3",
    "mph",
    "hp", // 48-55
    "psi",
    "\xB0"
    "F",
    "",
    "",
    "",
    "",
    "",
    "", // 56-63
};

} // namespace

std::string_view UnitText(unsigned unitNumber) {
    return unitNumber < kUnits.size() ? kUnits[unitNumber] : std::string_view{};
}

} // namespace protmon
