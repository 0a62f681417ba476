#pragma once

#include <cstdint>

namespace protmon {

// Class bits of a TRX5 service byte.
enum DinClassBits : std::uint8_t {
    kReadRequest = 0x00,
    kWriteRequest = 0x40,
    kReadResponse = 0x80,
    kWriteResponse = 0xC0,
};

// One frame form with a service letter. Fields, one character per unit, in order:
//   h  a byte from two hex digits      d  one hex digit as a byte
//   t  one character copied            c  a count byte from two hex digits (at most 24)
//   T  as many characters as the count says
struct TDinForm {
    const char* Letters;
    int FrameLength; // 0: any; the fields must fit in front of ENQ or ETX
    std::uint8_t ClassBits;
    bool ByPrevious; // applies only where the previous entry decides this class
    const char* Fields;
};

// Service number of a service letter (the letter's code minus 71).
constexpr int DinServiceOf(std::uint8_t letter) {
    return letter - 71;
}

// The request form of `letter` with that frame length, or nullptr.
const TDinForm* FindRequestForm(std::uint8_t letter, int frameLength);
// The data block form of `letter` with that frame length; "by previous" forms are read responses
// after a read request and write requests otherwise. nullptr when there is none.
const TDinForm* FindDataBlockForm(std::uint8_t letter, int frameLength, bool previousIsReadRequest);

} // namespace protmon
