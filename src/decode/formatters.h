#pragma once

#include "model/byte_view.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace protmon {

// Field formatters of the row decoder. Each appends its text to `out`; fields are big-endian and
// read through ByteView, so a field past the end of the view reads as zero bytes.

// Unsigned 16-bit value of data[k], data[k+1], first byte high.
std::uint16_t MakeWordValue(ByteView data, std::size_t k);
// 32-bit value of data[k] .. data[k+3], first byte highest.
std::uint32_t MakeLongValue(ByteView data, std::size_t k);

// Signed decimal, or zero-padded upper-case hexadecimal with a trailing "h" when hexDisplay.
void MakeWordText(std::string& out, ByteView data, std::size_t k, bool hexDisplay);
void MakeLongText(std::string& out, ByteView data, std::size_t k, bool hexDisplay);
// 0 .. 255, or two hexadecimal digits and "h".
void MakeOctetText(std::string& out, ByteView data, std::size_t k, bool hexDisplay);

// Formats that do not follow the hexadecimal display switch.
void MakeHexBytesText(std::string& out, ByteView data, std::size_t k, std::size_t n);
void MakeSetSelectorText(std::string& out, std::uint8_t selector);
void MakeSubindexText(std::string& out, std::uint8_t subindex);
void MakeSetMaskText(std::string& out, std::uint8_t mask);
void MakeContainerHeaderText(std::string& out, std::uint8_t header);
void MakeParamHeaderText(std::string& out, std::uint8_t header);
// n bytes from data[k] unchanged, one character each; clipped at the end of the view.
void MakeCharsText(std::string& out, ByteView data, std::size_t k, std::size_t n);

// Text of a drive error code ("3 invalid data", "Code 0", ...). Clears noErrorShown: a row that
// shows an error gets no value annotation.
void MakeErrorText(std::string& out, std::uint8_t code, bool& noErrorShown);
// The table text of codes 1 to 14; empty for the codes shown as "Code <n>".
std::string_view ErrorCodeText(std::uint8_t code);

// Decimal and hexadecimal helpers shared by the decoders.
void AppendDecimal(std::string& out, std::int64_t value);
void AppendHex(std::string& out, std::uint32_t value, int digits);

} // namespace protmon
