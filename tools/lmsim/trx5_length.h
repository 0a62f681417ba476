#pragma once

#include "capture/byte_view.h"

#include <cstdint>

namespace protmon::lmsim {

// Telegram lengths of the drive protocol as the simulator needs them. Kept in one place so the
// simulator can switch to the core's table once the capture layer provides one.

// Base length and count position of a service byte; base 0 means "not a telegram".
struct Trx5LengthRule {
    std::uint8_t base = 0;
    std::uint8_t countPos = 0;
};

Trx5LengthRule Trx5Rule(std::uint8_t serviceByte);

// Length of the telegram starting at tel[0], or 0 when byte 1 is no valid service or the count
// byte lies outside the view. The sum is taken modulo 256 as on the line.
int Trx5TelegramLength(ByteView tel);

// Exclusive OR of the first count bytes.
std::uint8_t Trx5Bcc(ByteView bytes, std::size_t count);

} // namespace protmon::lmsim
