#include "files/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace protmon {

namespace {

constexpr std::size_t kIoBufferSize = 1 << 20;

bool WriteAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0)
            return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// A symbolic link is followed so that saving replaces the file it points to, not the link.
std::string ResolveTarget(const std::string& target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return target;
    char resolved[PATH_MAX];
    if (::realpath(target.c_str(), resolved) == nullptr)
        return target;
    return resolved;
}

std::string TempNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

} // namespace

TBufferedFileReader::~TBufferedFileReader() {
    Close();
}

bool TBufferedFileReader::Open(const std::string& path) {
    Close();
    // Without O_NONBLOCK, opening a FIFO that nobody writes would wait forever; a regular file
    // reads the same either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    consumed_ = 0;
    pos_ = end_ = 0;
    failed_ = false;
    buffer_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size_, kIoBufferSize)) + 1);
    return true;
}

bool TBufferedFileReader::Fill() {
    if (fd_ < 0 || failed_)
        return false;
    for (;;) {
        const ssize_t r = ::read(fd_, buffer_.data(), buffer_.size());
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            failed_ = r < 0;
            return false;
        }
        pos_ = 0;
        end_ = static_cast<std::size_t>(r);
        return true;
    }
}

std::size_t TBufferedFileReader::Read(void* dst, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(dst);
    std::size_t done = 0;
    while (done < n) {
        if (pos_ == end_ && !Fill())
            break;
        const std::size_t take = std::min(n - done, end_ - pos_);
        std::memcpy(out + done, buffer_.data() + pos_, take);
        pos_ += take;
        done += take;
    }
    consumed_ += done;
    return done;
}

bool TBufferedFileReader::Close() {
    if (fd_ < 0)
        return false;
    const int rc = ::close(fd_);
    fd_ = -1;
    buffer_.clear();
    buffer_.shrink_to_fit();
    return rc == 0 && !failed_;
}

TSafeFileWriter::~TSafeFileWriter() {
    Abort();
}

bool TSafeFileWriter::Open(const std::string& target) {
    Abort();
    target_ = ResolveTarget(target);
    // A file that may not be written is not replaced either, even where its folder allows it.
    if (::access(target_.c_str(), F_OK) == 0 && ::access(target_.c_str(), W_OK) != 0)
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = TempNameFor(target_);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temp_.clear();
        return false;
    }
    // Replacing a file keeps its permissions.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd_, st.st_mode & 07777);
    failed_ = false;
    buffer_.clear();
    buffer_.reserve(kIoBufferSize);
    return true;
}

void TSafeFileWriter::Write(const void* data, std::size_t n) {
    if (fd_ < 0 || failed_)
        return;
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        if (buffer_.size() == kIoBufferSize && !Flush())
            return;
        const std::size_t take = std::min(n, kIoBufferSize - buffer_.size());
        buffer_.insert(buffer_.end(), p, p + take);
        p += take;
        n -= take;
    }
}

bool TSafeFileWriter::Flush() {
    if (!failed_ && !WriteAll(fd_, buffer_.data(), buffer_.size()))
        failed_ = true;
    buffer_.clear();
    return !failed_;
}

void TSafeFileWriter::WriteAt(std::uint64_t offset, const void* data, std::size_t n) {
    if (fd_ < 0 || !Flush())
        return;
    const auto off = static_cast<off_t>(offset);
    if (::pwrite(fd_, data, n, off) != static_cast<ssize_t>(n))
        failed_ = true;
}

bool TSafeFileWriter::Commit() {
    if (fd_ < 0)
        return false;
    bool ok = Flush();
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && ::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok)
        ::unlink(temp_.c_str());
    temp_.clear();
    buffer_.clear();
    buffer_.shrink_to_fit();
    return ok;
}

void TSafeFileWriter::Abort() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    buffer_.clear();
}

} // namespace protmon
