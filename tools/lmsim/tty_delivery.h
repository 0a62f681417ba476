#pragma once

#include "uart_model.h"

#include <cstdint>
#include <vector>

namespace protmon::lmsim {

// The input flags of the receiving program's termios that decide what becomes of a character
// with a line error.
struct TtyInputFlags {
    bool ignbrk = false;
    bool brkint = false;
    bool ignpar = false;
    bool parmrk = false;
    bool inpck = false;
    bool istrip = false;
    bool cread = true;
};

// The serial driver's receive counters (what TIOCGICOUNT would report).
struct RxErrorCounts {
    std::uint64_t rx = 0;
    std::uint64_t frame = 0;
    std::uint64_t parity = 0;
    std::uint64_t brk = 0;
    std::uint64_t overrun = 0;
    bool operator==(const RxErrorCounts&) const = default;
};

// Counts c as a serial driver does (a break is not also a framing or parity error, a parity
// error is not also a framing error) and appends what the line discipline hands the program:
// the driver flags errors only with INPCK (breaks with IGNBRK, BRKINT or PARMRK) and drops
// flagged ones under IGNPAR (IGNBRK); a flagged error is 0x00, or 0xFF 0x00 and the character
// under PARMRK, which also doubles a received 0xFF; BRKINT turns a break into a signal, which
// a pseudo-terminal cannot send, so nothing arrives.
void DeliverAsKernel(const RxChar& c, const TtyInputFlags& flags, std::vector<std::uint8_t>& out,
                     RxErrorCounts& counts);

} // namespace protmon::lmsim
