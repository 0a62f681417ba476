#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace protmon {

constexpr std::size_t kTelDataSize = 52;
constexpr std::uint16_t kNoChannel = 256;
// Data[50] is overwritten by the filtered display as the entry's filter mark.
constexpr std::size_t kFilterMarkIndex = 50;
// At most this many bytes of a coded telegram are stored.
constexpr std::size_t kMaxStoredTelegram = 49;

// Status kinds of layout B entries (Data[0] == 0).
enum StatusKind : std::uint8_t {
    kStatusBcc = 1,
    kStatusOverrun = 2,
    kStatusFraming = 3,
    kStatusParity = 4,
    kStatusIllegalFrame = 10,
    kStatusWriteOk = 128,
    kStatusWriteError = 129,
    kStatusReadError = 130,
    kStatusSelect = 255,
};

// One recorded telegram, status or raw chunk. Which layout Data holds follows from the protocol
// selection, not from the entry.
struct TTelEntry {
    std::array<std::uint8_t, kTelDataSize> Data{};
    std::uint16_t Channel = kNoChannel;
    std::uint16_t TimeStamp = 0;
    // Wall-clock time of the poll tick that wrote the entry, in nanoseconds since the epoch; 0
    // where unknown (entries read from a monitor file, which has no room for it).
    std::int64_t ReceiveTime = 0;
};

} // namespace protmon
