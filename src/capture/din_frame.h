#pragma once

#include "model/byte_view.h"

#include <cstdint>

namespace protmon {

// Control characters of DIN66019II framing.
enum DinControl : std::uint8_t {
    kDinStx = 0x02,
    kDinEtx = 0x03,
    kDinEot = 0x04,
    kDinEnq = 0x05,
    kDinAck = 0x06,
    kDinNak = 0x15,
};

// Which frame FindDinFrame found; named after the control character that closes it.
enum class DinFrameForm {
    Select,       // EOT at 0, two hex digits
    End,          // optional address digit, status digit, EOT
    DataBlock,    // STX ... ETX, check character
    Request,      // letter at 0 ... ENQ, check character
    ShortRequest, // four hex digits, ENQ
    Acknowledge,  // optional address digit, ACK
    NegativeAck,  // optional address digit, error digit, NAK
};

// Result of one search: wait for more characters, discard `Length` leading characters as
// garbage, or a frame of `Length` characters starting at position 0.
struct TDinFind {
    enum Kind { Wait, Discard, Frame };
    Kind Result = Wait;
    int Length = 0;
    DinFrameForm Form = DinFrameForm::Select;
};

TDinFind FindDinFrame(ByteView chars);

// Value of an upper-case hex digit, -1 for any other character.
int DinHexValue(std::uint8_t c);
// "1" to "9" and "A" to "F".
bool IsDinAddressDigit(std::uint8_t c);
// Exclusive OR of the characters, raised by 0x20 when it falls below a space.
std::uint8_t DinBlockCheck(ByteView chars);

} // namespace protmon
