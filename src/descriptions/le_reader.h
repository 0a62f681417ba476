#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace protmon {

// Little-endian reader over a whole file held in memory. Every read is checked against the end:
// a read that does not fit sets Failed, yields 0 or an empty text and leaves the position alone.
class TLeReader {
public:
    explicit TLeReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    std::size_t Pos() const { return pos_; }
    std::size_t Remaining() const { return bytes_.size() - pos_; }
    bool Failed() const { return failed_; }
    void Fail() { failed_ = true; }

    // Moves to an absolute offset; an offset outside the file (the end itself is inside) fails.
    bool Seek(std::int64_t offset);
    bool Has(std::size_t count) const { return count <= Remaining(); }
    bool Skip(std::size_t count);

    std::uint8_t U8();
    std::uint16_t U16();
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::uint32_t U32();
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    // Copies count bytes to out.
    bool Bytes(std::uint8_t* out, std::size_t count);
    // A text slot of slotSize bytes: a length byte (clamped to maxLength) and the characters.
    std::string Text(std::size_t slotSize, std::size_t maxLength);

    // Reads a table's element count and checks that the rest of the file can hold count records
    // of at least minRecordSize bytes. Fails otherwise, also for a negative count.
    bool Count(std::size_t minRecordSize, std::int32_t& count);

private:
    const std::uint8_t* Take(std::size_t count);

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

// Reads a 14-byte marker and compares it with marker after turning a-z into A-Z.
bool MarkerMatches(TLeReader& in, std::string_view marker);

// Reads a whole file. 0 on success, else the errno of the failure (EFBIG beyond maxSize).
int ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                  std::size_t maxSize = std::size_t{256} << 20);

} // namespace protmon
