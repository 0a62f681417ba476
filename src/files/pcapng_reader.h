#pragma once

#include "files/file_io.h"
#include "model/byte_view.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace protmon {

// Reads a little-endian pcapng file block by block. Every length is checked against the block
// and the file before anything is read through it; a block's body is handed out only whole.
class TPcapngReader {
public:
    enum Status : int {
        kBlock = 1,
        kEnd = 0,       // the file ended between blocks
        kDamaged = -1,  // a length that does not fit, a cut block; Error() says which
        kBigEndian = -2 // a section written in the other byte order
    };

    bool Open(const std::string& path);
    std::uint64_t FileSize() const { return in_.Size(); }
    // Reads the next block.
    Status Next();
    std::uint32_t Type() const { return type_; }
    // The block between its length fields.
    ByteView Body() const { return {body_.data(), body_.size()}; }
    // Offset of the current block in the file.
    std::uint64_t Offset() const { return offset_; }
    const std::string& Error() const { return error_; }
    bool Close() { return in_.Close(); }

private:
    Status Damaged(std::string what);

    TBufferedFileReader in_;
    std::uint32_t type_ = 0;
    std::uint64_t offset_ = 0;
    std::uint64_t next_ = 0;
    std::vector<std::uint8_t> body_;
    std::string error_;
};

std::uint16_t Le16(ByteView v, std::size_t at);
std::uint32_t Le32(ByteView v, std::size_t at);

// Calls `option(code, value)` for each option in `area` up to the end-of-options option (or the
// end of the area). False if an option's value runs past the area.
bool ForEachPcapngOption(ByteView area,
                         const std::function<void(std::uint16_t code, ByteView value)>& option);

} // namespace protmon
