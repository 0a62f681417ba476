#include "tty_delivery.h"

namespace protmon::lmsim {

namespace {

constexpr std::uint8_t kMark = 0xFF;

void Count(const RxChar& c, RxErrorCounts& counts) {
    ++counts.rx;
    if (c.isBreak)
        ++counts.brk;
    else if (c.parityError)
        ++counts.parity;
    else if (c.framingError)
        ++counts.frame;
}

void DeliverBreak(const TtyInputFlags& f, std::vector<std::uint8_t>& out) {
    if (f.ignbrk || f.brkint)
        return;
    if (f.parmrk)
        out.insert(out.end(), {kMark, 0x00});
    out.push_back(0x00);
}

} // namespace

void DeliverAsKernel(const RxChar& c, const TtyInputFlags& f, std::vector<std::uint8_t>& out,
                     RxErrorCounts& counts) {
    Count(c, counts);
    if (!f.cread)
        return;
    const bool breakFlagged = c.isBreak && (f.ignbrk || f.brkint || f.parmrk);
    const bool errorFlagged = !c.isBreak && (c.parityError || c.framingError) && f.inpck;
    if (breakFlagged) {
        DeliverBreak(f, out);
        return;
    }
    if (errorFlagged) {
        if (f.ignpar)
            return;
        if (f.parmrk)
            out.insert(out.end(), {kMark, 0x00, c.value});
        else
            out.push_back(0x00);
        return;
    }
    // Unflagged: the character as sampled (a break reads as 0x00).
    std::uint8_t value = c.isBreak ? 0 : c.value;
    if (f.istrip)
        value &= 0x7F;
    if (f.parmrk && value == kMark)
        out.push_back(kMark);
    out.push_back(value);
}

} // namespace protmon::lmsim
