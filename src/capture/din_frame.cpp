#include "capture/din_frame.h"

namespace protmon {

namespace {

constexpr std::uint8_t kLastHexLetter = 'F'; // anything above it counts as a service letter

TDinFind Frame(DinFrameForm form, int length) {
    return {TDinFind::Frame, length, form};
}
TDinFind Discard(int count) {
    return {TDinFind::Discard, count, DinFrameForm::Select};
}

} // namespace

int DinHexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsDinAddressDigit(std::uint8_t c) {
    return DinHexValue(c) > 0;
}

std::uint8_t DinBlockCheck(ByteView chars) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < chars.size(); ++i)
        x ^= chars.data()[i];
    return x < 0x20 ? static_cast<std::uint8_t>(x + 0x20) : x;
}

// One pass from the start: the first control character that settles the case decides. A frame
// always starts at position 0; what stands before a recognisable frame is discarded first.
TDinFind FindDinFrame(ByteView chars) {
    const int n = static_cast<int>(chars.size());
    const std::uint8_t* c = chars.data();
    bool stxAtStart = false;
    int letter = -1;
    for (int i = 0; i < n; ++i) {
        switch (c[i]) {
        case kDinEot:
            if (i == 0) {
                if (n > 2)
                    return Frame(DinFrameForm::Select, 3);
                break;
            }
            if (i <= 2)
                return Frame(DinFrameForm::End, i + 1);
            return Discard(i - 2);
        case kDinEtx:
            if (stxAtStart && i + 1 < n)
                return Frame(DinFrameForm::DataBlock, i + 2);
            break;
        case kDinEnq:
            if (letter == 0)
                return i + 1 < n ? Frame(DinFrameForm::Request, i + 2) : TDinFind{};
            if (letter > 0)
                return Discard(letter);
            if (i == 4)
                return Frame(DinFrameForm::ShortRequest, 5);
            return i < 4 ? Discard(i + 1) : Discard(i - 4);
        case kDinAck:
            if (i <= 1)
                return Frame(DinFrameForm::Acknowledge, i + 1);
            return Discard(i - 1);
        case kDinNak:
            if (i == 1 || i == 2)
                return Frame(DinFrameForm::NegativeAck, i + 1);
            if (i > 2)
                return Discard(i - 2);
            break;
        case kDinStx:
            if (i > 0)
                return Discard(i);
            stxAtStart = true;
            break;
        default:
            if (c[i] > kLastHexLetter)
                letter = i;
            break;
        }
    }
    return {};
}

} // namespace protmon
