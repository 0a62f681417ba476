#pragma once

#include "model/byte_view.h"

#include <cstdint>
#include <optional>

namespace protmon {

// Where a telegram carries the values that the filter's value criteria compare.
enum class FieldWidth : std::uint8_t { None, Word, Long };

struct TFieldRef {
    FieldWidth Width = FieldWidth::None;
    std::uint8_t Offset = 0;
};

// How the acknowledge byte is found: at a fixed offset, or behind a count byte of the telegram.
enum class AckPlace : std::uint8_t { None, Fixed, AfterCount2, AfterCount7 };

struct TValueLayout {
    // Indexed by ValueField: ParameterData, Address, PD1 .. PD4.
    TFieldRef Fields[6];
    AckPlace Ack = AckPlace::None;
    std::uint8_t AckOffset = 0;
};

// Bytes of an entry that hold the telegram; the filter mark sits behind them.
constexpr std::size_t kMatchedDataSize = 50;

// Layout for a service byte. A service number of 48 or more always counts as a write.
const TValueLayout& ValueLayoutFor(std::uint8_t serviceByte);

// The value of `field` as a 32-bit signed number (16-bit values zero-extended), if carried.
std::optional<std::int32_t> ReadField(const TFieldRef& field, ByteView data);
// The acknowledge, if carried and stored within the first kMatchedDataSize bytes.
std::optional<std::int32_t> ReadAcknowledge(const TValueLayout& layout, ByteView data);

} // namespace protmon
