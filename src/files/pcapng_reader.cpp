#include "files/pcapng_reader.h"

#include "files/pcapng_format.h"

namespace protmon {

namespace {

constexpr std::uint32_t kSwappedByteOrderMagic = 0x4D3C2B1A;

} // namespace

std::uint16_t Le16(ByteView v, std::size_t at) {
    return static_cast<std::uint16_t>(v.at(at) | (v.at(at + 1) << 8));
}

std::uint32_t Le32(ByteView v, std::size_t at) {
    return std::uint32_t{Le16(v, at)} | (std::uint32_t{Le16(v, at + 2)} << 16);
}

bool TPcapngReader::Open(const std::string& path) {
    offset_ = next_ = 0;
    error_.clear();
    return in_.Open(path);
}

TPcapngReader::Status TPcapngReader::Damaged(std::string what) {
    error_ = std::move(what) + " at offset " + std::to_string(offset_);
    return kDamaged;
}

TPcapngReader::Status TPcapngReader::Next() {
    offset_ = next_;
    std::uint8_t head[8];
    const std::size_t got = in_.Read(head, sizeof head);
    if (got == 0 && in_.Remaining() == 0)
        return kEnd;
    if (got != sizeof head)
        return Damaged("block header cut off");
    const ByteView h(head, sizeof head);
    type_ = Le32(h, 0);
    const std::uint32_t total = Le32(h, 4);
    if (type_ == pcapng::kSectionHeaderBlock) {
        // The byte-order magic follows the length; in a big-endian section the length read here
        // is already wrong, so the magic decides first.
        std::uint8_t magic[4];
        if (in_.Remaining() >= 4 && total > 12) {
            const std::size_t n = in_.Read(magic, sizeof magic);
            if (n == 4 && Le32(ByteView(magic, 4), 0) == kSwappedByteOrderMagic)
                return kBigEndian;
            body_.assign(magic, magic + n);
        } else {
            body_.clear();
        }
    } else {
        body_.clear();
    }
    if (total < pcapng::kBlockFraming || total % 4 != 0 || total > pcapng::kMaxBlockSize)
        return Damaged("block length " + std::to_string(total) + " is not possible");
    const std::size_t bodySize = total - pcapng::kBlockFraming;
    if (bodySize < body_.size() || in_.Remaining() < bodySize - body_.size() + 4)
        return Damaged("block cut off by the end of the file");
    const std::size_t already = body_.size();
    body_.resize(bodySize);
    if (in_.Read(body_.data() + already, bodySize - already) != bodySize - already)
        return Damaged("read error");
    std::uint8_t trailer[4];
    if (in_.Read(trailer, sizeof trailer) != sizeof trailer)
        return Damaged("read error");
    if (Le32(ByteView(trailer, 4), 0) != total)
        return Damaged("block lengths differ");
    next_ = offset_ + total;
    return kBlock;
}

bool ForEachPcapngOption(ByteView area,
                         const std::function<void(std::uint16_t, ByteView)>& option) {
    std::size_t at = 0;
    while (area.has(at, 4)) {
        const std::uint16_t code = Le16(area, at);
        const std::size_t length = Le16(area, at + 2);
        at += 4;
        if (code == pcapng::kOptEndOfOpt)
            return true;
        if (!area.has(at, length))
            return false;
        option(code, area.sub(at, length));
        at += (length + 3) / 4 * 4;
    }
    // Without an end-of-options option the last value's padding ends the area exactly.
    return at == area.size();
}

} // namespace protmon
