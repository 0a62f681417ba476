#pragma once

#include "capture/din_frame.h"
#include "model/byte_view.h"
#include "model/tel_entry.h"

#include <cstdint>

namespace protmon {

// Address and service byte of the entry recorded before the frame being converted; the "by
// previous" rules decide on them.
struct TDinPrevious {
    std::uint8_t Address = 0; // 0: a status entry, not a telegram
    std::uint8_t Service = 0;

    static TDinPrevious Of(const TTelEntry* e) {
        return e != nullptr ? TDinPrevious{e->Data[0], e->Data[1]} : TDinPrevious{};
    }
    bool IsTelegram() const { return Address != 0; }
    bool IsReadRequest() const { return Service < 0x40; }
};

// Converts one frame found by FindDinFrame (starting at position 0 of `frame`, exactly its
// length) into the TRX5 layout in `e`, or into a status entry: "BCC" for a wrong block check
// character, "Illegal Frame" for an unknown letter, a wrong length, a bad address or hex digit.
void ConvertDinFrame(ByteView frame, DinFrameForm form, TDinPrevious previous, TTelEntry& e);

} // namespace protmon
