#include "decode/unit_table.h"

#include <array>

namespace protmon {

namespace {

constexpr std::array<std::string_view, 64> kUnits = {
    "",
    "mm",
    "cm",
    "m",
    "km",
    "g",
    "kg",
    "us", // 0
    "ms",
    "s",
    "h",
    "Nm",
    "kNm",
    "m/s",
    "m/s2",
    "m/s3", // 8
    "km/h",
    "1/min",
    "Hz",
    "kHz",
    "mV",
    "V",
    "kV",
    "mW", // 16
    "W",
    "kW",
    "VA",
    "kVA",
    "mA",
    "A",
    "kA",
    "\xB0C", // 24
    "K",
    "mOhm",
    "Ohm",
    "kOhm",
    "Inc",
    "%",
    "KWh",
    "mH", // 32
    "",
    "",
    "in",
    "ft",
    "yd",
    "oz",
    "lb",
    "lbft", // 40
    "lbin",
    "in/s",
    "ft/s",
    "ft/min",
    "ft/s2",
    "ft/s3",
    "mph",
    "hp", // 48
    "psi",
    "\xB0"
    "F",
    "",
    "",
    "",
    "",
    "",
    "", // 56
};

} // namespace

std::string_view UnitText(int unitNumber) {
    if (unitNumber < 0 || unitNumber >= static_cast<int>(kUnits.size()))
        return {};
    return kUnits[static_cast<std::size_t>(unitNumber)];
}

} // namespace protmon
