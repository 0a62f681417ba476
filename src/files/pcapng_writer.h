#pragma once

#include "files/file_io.h"
#include "model/byte_view.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace protmon {

// Writes one pcapng section block by block through a buffered file that replaces the target only
// when complete (as saving a monitor file does). It knows the format, not recordings: the caller
// gives texts and packet bytes.
class TPcapngWriter {
public:
    // Creates the new file and writes the section header with the program's name and the
    // section's comment. False if the file cannot be created.
    bool Open(const std::string& path, std::string_view userAppl, std::string_view comment);
    // Streams to an open descriptor instead (a pipe a reader follows live): blocks collect
    // until Flush. The descriptor stays the caller's.
    void OpenStream(int fd, std::string_view userAppl, std::string_view comment);
    // Writes an interface description (our link type, nanosecond time stamps); interfaces are
    // numbered from 0 in the order they are written and must precede their packets.
    std::uint32_t AddInterface(std::string_view name, std::string_view description);
    // One enhanced packet block with a comment option per non-empty text of `comments`.
    void WritePacket(std::uint32_t interfaceId, std::uint64_t nanoseconds, ByteView data,
                     std::span<const std::string_view> comments);
    // Writes the blocks collected for a stream; false once the reader is gone or a write failed.
    bool Flush();
    // Flushes and renames over the target; true only if every write succeeded.
    bool Commit();
    // Removes the new file; the target is untouched.
    void Abort();

private:
    void BeginBlock(std::uint32_t type);
    void AddOption(std::uint16_t code, ByteView value);
    void EndBlock(bool withOptions);
    void WriteSectionHeader(std::string_view userAppl, std::string_view comment);

    TSafeFileWriter out_;
    std::vector<std::uint8_t> block_;
    std::uint32_t interfaces_ = 0;
    int streamFd_ = -1;
    std::vector<std::uint8_t> pending_;
    bool streamFailed_ = false;
};

} // namespace protmon
