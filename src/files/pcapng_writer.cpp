#include "files/pcapng_writer.h"

#include "files/pcapng_format.h"

#include <cerrno>
#include <unistd.h>

namespace protmon {

namespace {

// Appends through one resize and plain stores: blocks are built for every entry of large
// recordings.
void Put16(std::vector<std::uint8_t>& b, std::uint16_t v) {
    const std::size_t at = b.size();
    b.resize(at + 2);
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    const std::size_t at = b.size();
    b.resize(at + 4);
    for (std::size_t i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PadTo4(std::vector<std::uint8_t>& b) {
    while (b.size() % 4 != 0)
        b.push_back(0);
}

ByteView TextBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// An option value longer than its 16-bit length field is cut; our texts never come near it.
constexpr std::size_t kMaxOptionValue = 0xFFFC;

} // namespace

bool TPcapngWriter::Open(const std::string& path, std::string_view userAppl,
                         std::string_view comment) {
    interfaces_ = 0;
    streamFd_ = -1;
    if (!out_.Open(path))
        return false;
    WriteSectionHeader(userAppl, comment);
    return true;
}

void TPcapngWriter::OpenStream(int fd, std::string_view userAppl, std::string_view comment) {
    interfaces_ = 0;
    streamFd_ = fd;
    streamFailed_ = false;
    pending_.clear();
    WriteSectionHeader(userAppl, comment);
}

void TPcapngWriter::WriteSectionHeader(std::string_view userAppl, std::string_view comment) {
    BeginBlock(pcapng::kSectionHeaderBlock);
    Put32(block_, pcapng::kByteOrderMagic);
    Put16(block_, pcapng::kMajorVersion);
    Put16(block_, pcapng::kMinorVersion);
    // Section length not given (-1): the section runs to the end of the file.
    Put32(block_, 0xFFFFFFFF);
    Put32(block_, 0xFFFFFFFF);
    AddOption(pcapng::kShbUserAppl, TextBytes(userAppl));
    AddOption(pcapng::kOptComment, TextBytes(comment));
    EndBlock(true);
}

std::uint32_t TPcapngWriter::AddInterface(std::string_view name, std::string_view description) {
    BeginBlock(pcapng::kInterfaceDescriptionBlock);
    Put16(block_, pcapng::kLinkTypeRecording);
    Put16(block_, 0);
    Put32(block_, 0); // snap length: no limit
    AddOption(pcapng::kIfName, TextBytes(name));
    AddOption(pcapng::kIfDescription, TextBytes(description));
    const std::uint8_t resolution = pcapng::kTsResolNanoseconds;
    AddOption(pcapng::kIfTsResol, ByteView(&resolution, 1));
    EndBlock(true);
    return interfaces_++;
}

void TPcapngWriter::WritePacket(std::uint32_t interfaceId, std::uint64_t nanoseconds, ByteView data,
                                std::span<const std::string_view> comments) {
    BeginBlock(pcapng::kEnhancedPacketBlock);
    Put32(block_, interfaceId);
    Put32(block_, static_cast<std::uint32_t>(nanoseconds >> 32));
    Put32(block_, static_cast<std::uint32_t>(nanoseconds));
    Put32(block_, static_cast<std::uint32_t>(data.size()));
    Put32(block_, static_cast<std::uint32_t>(data.size()));
    block_.insert(block_.end(), data.data(), data.data() + data.size());
    PadTo4(block_);
    bool options = false;
    for (const std::string_view text : comments) {
        if (text.empty())
            continue;
        AddOption(pcapng::kOptComment, TextBytes(text));
        options = true;
    }
    EndBlock(options);
}

bool TPcapngWriter::Flush() {
    std::size_t done = 0;
    while (!streamFailed_ && done < pending_.size()) {
        const ssize_t n = ::write(streamFd_, pending_.data() + done, pending_.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            streamFailed_ = true;
    }
    pending_.clear();
    return !streamFailed_;
}

bool TPcapngWriter::Commit() {
    if (streamFd_ >= 0)
        return Flush();
    return out_.Commit();
}

void TPcapngWriter::Abort() {
    out_.Abort();
}

void TPcapngWriter::BeginBlock(std::uint32_t type) {
    block_.clear();
    Put32(block_, type);
    Put32(block_, 0); // total length, filled in by EndBlock
}

void TPcapngWriter::AddOption(std::uint16_t code, ByteView value) {
    const ByteView v = value.sub(0, kMaxOptionValue);
    Put16(block_, code);
    Put16(block_, static_cast<std::uint16_t>(v.size()));
    block_.insert(block_.end(), v.data(), v.data() + v.size());
    PadTo4(block_);
}

void TPcapngWriter::EndBlock(bool withOptions) {
    if (withOptions) {
        Put16(block_, pcapng::kOptEndOfOpt);
        Put16(block_, 0);
    }
    const auto total = static_cast<std::uint32_t>(block_.size() + 4);
    for (int i = 0; i < 4; ++i)
        block_[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(total >> (8 * i));
    Put32(block_, total);
    if (streamFd_ >= 0)
        pending_.insert(pending_.end(), block_.begin(), block_.end());
    else
        out_.Write(block_.data(), block_.size());
}

} // namespace protmon
