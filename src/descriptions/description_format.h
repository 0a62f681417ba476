#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace protmon {

// Layout of the packed little-endian description ("bin") and language ("add") files, shared by the
// readers and the generator of test files.
namespace descfile {

inline constexpr std::string_view kBinMarker = "ZENTRAXO50_BIN";
inline constexpr std::string_view kAddMarker = "ZENTRAXO50_ADD";
constexpr std::size_t kMarkerSize = 14;

constexpr std::int16_t kOldestVersion = -52;     // versions above are refused
constexpr std::int16_t kExtraTableVersion = -53; // this and below carry the extra table

constexpr std::size_t kTextSlot = 48; // length byte + up to 47 characters
constexpr std::size_t kMaxText = 47;
constexpr std::size_t kIdentSlot = 5;
constexpr std::size_t kMaxIdent = 4;

constexpr std::size_t kBinHeaderOld = 34; // version -52: no ExtraOffset
constexpr std::size_t kBinHeader = 38;
constexpr std::size_t kPlainTextRecord = 6;
constexpr std::size_t kFieldRecord = 56;
constexpr std::size_t kValueRecord = 53;
constexpr std::size_t kGroupRecord = 62;
constexpr std::size_t kParaRecord = 90;
constexpr std::size_t kInfoRecord = 125;

constexpr std::size_t kAddHeader = 57;
constexpr std::size_t kAddNameRecord = 50;  // uint16 address + text
constexpr std::size_t kAddBlockHeader = 4;  // uint16 type + uint16 field count
constexpr std::size_t kAddFieldHeader = 54; // int32 mask + text + uint16 value count
constexpr std::size_t kAddValueRecord = 52; // int32 value + text

// Offsets inside the parameter record.
constexpr std::size_t kParaAttributes = 16;
constexpr std::size_t kParaFlags = 20;

// Upper-case A-Z only, as the marker check does.
constexpr char ToUpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

} // namespace descfile

} // namespace protmon
