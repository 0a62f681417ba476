#pragma once

#include <cstddef>
#include <cstdint>

namespace protmon {

// Block and option codes of the pcapng format as far as recordings use them. Files are written
// little-endian; the byte-order magic says so to every reader.
namespace pcapng {

constexpr std::uint32_t kSectionHeaderBlock = 0x0A0D0D0A;
constexpr std::uint32_t kInterfaceDescriptionBlock = 1;
constexpr std::uint32_t kEnhancedPacketBlock = 6;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr std::uint16_t kMajorVersion = 1;
constexpr std::uint16_t kMinorVersion = 0;

constexpr std::uint16_t kOptEndOfOpt = 0;
constexpr std::uint16_t kOptComment = 1;
constexpr std::uint16_t kShbUserAppl = 4;
constexpr std::uint16_t kIfName = 2;
constexpr std::uint16_t kIfDescription = 3;
constexpr std::uint16_t kIfTsResol = 9;

// LINKTYPE_USER0: the first of the link types kept for private use. Every interface of a
// recording carries it; the dissector in contrib/wireshark registers for it.
constexpr std::uint16_t kLinkTypeRecording = 147;
// Time stamps in nanoseconds (10^-9 s).
constexpr std::uint8_t kTsResolNanoseconds = 9;

// Blocks of our files are small (the largest is the section header with its settings); anything
// beyond this is damage, not data.
constexpr std::uint32_t kMaxBlockSize = 1u << 20;
// Block type, total length ... total length.
constexpr std::size_t kBlockFraming = 12;

// Our packet data: a fixed header, then the entry's meaningful bytes, then any further bytes of
// the stored data area that are not zero (bytes left from an earlier use of the entry), so that
// importing gives the entry back exactly.
//   0  kind: 0 coded telegram, 1 status entry, 2 raw chunk
//   1  number of meaningful bytes that follow the header (0 to 50)
//   2  Channel, big-endian (256: no line-monitor information)
//   4  TimeStamp, big-endian
//   6  time basis of the block's time: 0 receive time, 1 line-monitor time, 2 position
//   7  flags: bit 0 the marked entry
constexpr std::size_t kPacketHeaderSize = 8;
constexpr std::uint8_t kFlagMarked = 0x01;

} // namespace pcapng

} // namespace protmon
