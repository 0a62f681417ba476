#pragma once

#include "model/byte_view.h"
#include "model/tel_entry.h"

#include <cstring>

namespace protmon {

// Raw bytes a status entry holds behind its three header bytes.
constexpr std::size_t kStatusBytes = 48;

// Layout B: 0, kind, the full count modulo 256, the first (at most 48) offending bytes.
inline void WriteStatusEntry(TTelEntry& e, std::uint8_t kind, int count, ByteView bytes) {
    e.Data[0] = 0;
    e.Data[1] = kind;
    e.Data[2] = static_cast<std::uint8_t>(count);
    const ByteView part = bytes.sub(0, kStatusBytes);
    if (!part.empty())
        std::memcpy(e.Data.data() + 3, part.data(), part.size());
}

} // namespace protmon
