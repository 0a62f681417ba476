#pragma once

#include "model/byte_view.h"

#include <cstddef>
#include <cstdint>

namespace protmon {

// Length rule of one class and service: Base plus, when CountPos is not 0, the telegram byte at
// CountPos. Base 0 means the service code is not a valid telegram.
struct TTrx5LengthRule {
    std::uint8_t Base = 0;
    std::uint8_t CountPos = 0;
};

// Rule for the service byte (class in bits 7..6, service number in bits 5..0).
TTrx5LengthRule Trx5LengthRule(std::uint8_t serviceByte);

// Length of the telegram in `t` (service byte at offset 1, count byte read through the view, 0
// when missing), modulo 256; 0 when the service is not a valid telegram.
int Trx5TelegramLength(ByteView t);

// Exclusive OR of the first `count` bytes of `bytes` (clipped to the view).
std::uint8_t Trx5Bcc(ByteView bytes, std::size_t count);

} // namespace protmon
