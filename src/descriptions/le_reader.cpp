#include "descriptions/le_reader.h"

#include "descriptions/description_format.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace protmon {

bool TLeReader::Seek(std::int64_t offset) {
    if (offset < 0 || static_cast<std::uint64_t>(offset) > bytes_.size()) {
        failed_ = true;
        return false;
    }
    pos_ = static_cast<std::size_t>(offset);
    return true;
}

const std::uint8_t* TLeReader::Take(std::size_t count) {
    if (!Has(count)) {
        failed_ = true;
        return nullptr;
    }
    const std::uint8_t* p = bytes_.data() + pos_;
    pos_ += count;
    return p;
}

bool TLeReader::Skip(std::size_t count) {
    return Take(count) != nullptr;
}

std::uint8_t TLeReader::U8() {
    const std::uint8_t* p = Take(1);
    return p ? p[0] : 0;
}

std::uint16_t TLeReader::U16() {
    const std::uint8_t* p = Take(2);
    return p ? static_cast<std::uint16_t>(p[0] | (p[1] << 8)) : 0;
}

std::uint32_t TLeReader::U32() {
    const std::uint8_t* p = Take(4);
    if (!p)
        return 0;
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

bool TLeReader::Bytes(std::uint8_t* out, std::size_t count) {
    const std::uint8_t* p = Take(count);
    if (p && count > 0)
        std::memcpy(out, p, count);
    return p != nullptr;
}

std::string TLeReader::Text(std::size_t slotSize, std::size_t maxLength) {
    const std::uint8_t* p = Take(slotSize);
    if (!p || slotSize == 0)
        return {};
    // A length beyond the slot is not allowed; it is cut rather than read past the slot.
    const std::size_t len = std::min<std::size_t>({p[0], maxLength, slotSize - 1});
    return std::string(reinterpret_cast<const char*>(p + 1), len);
}

bool TLeReader::Count(std::size_t minRecordSize, std::int32_t& count) {
    count = I32();
    if (failed_)
        return false;
    if (count < 0 || static_cast<std::uint64_t>(count) * minRecordSize > Remaining()) {
        failed_ = true;
        return false;
    }
    return true;
}

bool MarkerMatches(TLeReader& in, std::string_view marker) {
    std::uint8_t raw[descfile::kMarkerSize] = {};
    if (marker.size() != descfile::kMarkerSize || !in.Bytes(raw, descfile::kMarkerSize))
        return false;
    for (std::size_t i = 0; i < descfile::kMarkerSize; ++i)
        if (descfile::ToUpperAscii(static_cast<char>(raw[i])) != marker[i])
            return false;
    return true;
}

int ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxSize) {
    // O_NONBLOCK: a FIFO without a writer must be refused below, not wait forever in open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno != 0 ? errno : EIO;
    int error = 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = errno;
    } else if (!S_ISREG(st.st_mode)) {
        error = EINVAL;
    } else if (static_cast<std::uint64_t>(st.st_size) > maxSize) {
        error = EFBIG;
    } else {
        out.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n < 0 ? errno : EIO;
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    return error;
}

} // namespace protmon
