#pragma once

#include "model/byte_view.h"
#include "model/capture_settings.h"
#include "model/tel_entry.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace protmon {

// What an entry's data area holds; the protocol selection of the recording decides between raw
// chunks and the other two, Data[0] between status entries and coded telegrams.
enum class EntryKind : std::uint8_t { Telegram = 0, Status = 1, RawChunk = 2 };
constexpr std::uint8_t kEntryKindCount = 3;

EntryKind EntryKindOf(const TTelEntry& e, Protocol selection);
// "telegram", "status", "raw".
const char* EntryKindName(EntryKind kind);

// Bytes of Data[0..49] that carry the entry: a telegram's length by the length table (the whole
// stored area when the service has no valid length), a status entry's header and stored bytes, a
// raw chunk's count byte and bytes.
std::size_t MeaningfulBytes(const TTelEntry& e, EntryKind kind);

// The stored area Data[0..49] up to its last byte that is not zero, but at least `meaningful`.
std::size_t StoredBytesToKeep(const TTelEntry& e, std::size_t meaningful);

} // namespace protmon

namespace protmon {

// A line-monitor channel as the details show it ("A" for 0, "B" for 1 ...); empty for an entry
// without line-monitor information, the decimal number for values no letter stands for.
std::string ChannelText(std::uint16_t channel);

} // namespace protmon
