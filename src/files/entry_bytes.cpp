#include "files/entry_bytes.h"

#include "capture/trx5_length.h"
#include "files/monitor_file.h"

#include <algorithm>

namespace protmon {

namespace {

constexpr std::size_t kStatusHeaderBytes = 3;
// Kinds 128 to 130 carry an error code and an address byte behind the kind.
constexpr std::size_t kResultStatusBytes = 4;

} // namespace

EntryKind EntryKindOf(const TTelEntry& e, Protocol selection) {
    if (selection == Protocol::Raw)
        return EntryKind::RawChunk;
    return e.Data[0] == 0 ? EntryKind::Status : EntryKind::Telegram;
}

const char* EntryKindName(EntryKind kind) {
    switch (kind) {
    case EntryKind::Telegram:
        return "telegram";
    case EntryKind::Status:
        return "status";
    case EntryKind::RawChunk:
        return "raw";
    }
    return "";
}

std::size_t MeaningfulBytes(const TTelEntry& e, EntryKind kind) {
    const ByteView stored(e.Data.data(), kStoredDataBytes);
    switch (kind) {
    case EntryKind::Telegram: {
        const auto length = static_cast<std::size_t>(Trx5TelegramLength(stored));
        return length >= 2 && length <= kMaxStoredTelegram ? length : kStoredDataBytes;
    }
    case EntryKind::Status: {
        const std::uint8_t statusKind = stored.at(1);
        if (statusKind == kStatusSelect)
            return kStatusHeaderBytes;
        if (statusKind >= kStatusWriteOk && statusKind <= kStatusReadError)
            return kResultStatusBytes;
        return std::min(kStatusHeaderBytes + stored.at(2), kStoredDataBytes);
    }
    case EntryKind::RawChunk:
        return std::min<std::size_t>(1 + stored.at(0), kStoredDataBytes);
    }
    return kStoredDataBytes;
}

std::size_t StoredBytesToKeep(const TTelEntry& e, std::size_t meaningful) {
    std::size_t end = kStoredDataBytes;
    while (end > meaningful && e.Data[end - 1] == 0)
        --end;
    return end;
}

} // namespace protmon

namespace protmon {

std::string ChannelText(std::uint16_t channel) {
    constexpr std::uint16_t kLetters = 26;
    if (channel == kNoChannel)
        return {};
    if (channel < kLetters)
        return std::string(1, static_cast<char>('A' + channel));
    return std::to_string(channel);
}

} // namespace protmon
