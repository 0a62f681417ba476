#include "files/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
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
    error_ = 0;
    special_ = false;
    // Without O_NONBLOCK, opening a FIFO that nobody writes would wait forever; a regular file
    // reads the same either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error_ = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = S_ISDIR(st.st_mode) ? EISDIR : errno;
        special_ = !S_ISDIR(st.st_mode);
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
            if (failed_)
                error_ = errno;
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

std::string TBufferedFileReader::Reason() const {
    return special_ ? "not a regular file" : SystemReason(error_);
}

bool TBufferedFileReader::Close() {
    if (fd_ < 0)
        return false;
    const int rc = ::close(fd_);
    if (rc != 0 && error_ == 0)
        error_ = errno;
    fd_ = -1;
    buffer_.clear();
    buffer_.shrink_to_fit();
    return rc == 0 && !failed_;
}

TSafeFileWriter::~TSafeFileWriter() {
    Abort();
}

bool TSafeFileWriter::Fail(int error) {
    if (!failed_)
        error_ = error != 0 ? error : EIO;
    failed_ = true;
    return false;
}

bool TSafeFileWriter::Open(const std::string& target) {
    Abort();
    failed_ = false;
    error_ = 0;
    flushed_ = 0;
    buffer_.clear();
    buffer_.reserve(kIoBufferSize);
    if (target == kStdoutName) {
        // What stdio holds must come out before our bytes.
        std::fflush(stdout);
        mode_ = Mode::Stdout;
        fd_ = STDOUT_FILENO;
        return true;
    }
    if (const int e = OutputNameError(target); e != 0)
        return Fail(e);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return OpenThrough(target);
    return OpenReplacing(ResolveTarget(target));
}

bool TSafeFileWriter::OpenThrough(const std::string& path) {
    mode_ = Mode::Through;
    target_ = path;
    // A FIFO waits for its reader here, as `cat > fifo` does; a socket cannot be opened at all.
    fd_ = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    return fd_ >= 0 || Fail(errno);
}

bool TSafeFileWriter::OpenReplacing(const std::string& path) {
    mode_ = Mode::Replace;
    target_ = path;
    // A file that may not be written is not replaced either, even where its folder allows it.
    if (::access(target_.c_str(), F_OK) == 0 && ::access(target_.c_str(), W_OK) != 0)
        return Fail(errno);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = TempNameFor(target_);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temp_.clear();
        return Fail(errno);
    }
    // Replacing a file keeps its permissions.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd_, st.st_mode & 07777);
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
        Fail(errno);
    flushed_ += buffer_.size();
    buffer_.clear();
    return !failed_;
}

void TSafeFileWriter::WriteAt(std::uint64_t offset, const void* data, std::size_t n) {
    if (fd_ < 0 || failed_)
        return;
    // Still in the buffer: patched there, which is all a stream allows.
    if (offset >= flushed_ && offset + n <= flushed_ + buffer_.size()) {
        std::memcpy(buffer_.data() + (offset - flushed_), data, n);
        return;
    }
    if (!Flush())
        return;
    const auto off = static_cast<off_t>(offset);
    if (::pwrite(fd_, data, n, off) != static_cast<ssize_t>(n))
        Fail(errno);
}

void TSafeFileWriter::CloseFile() {
    if (fd_ >= 0 && mode_ != Mode::Stdout && ::close(fd_) != 0)
        Fail(errno);
    fd_ = -1;
}

bool TSafeFileWriter::Commit() {
    if (fd_ < 0)
        return false;
    Flush();
    // Devices and pipes cannot be flushed to a disk; that is no failure of theirs.
    if (!failed_ && mode_ != Mode::Stdout && ::fsync(fd_) != 0 &&
        (mode_ == Mode::Replace || (errno != EINVAL && errno != EROFS && errno != ENOTSUP)))
        Fail(errno);
    CloseFile();
    if (mode_ == Mode::Replace) {
        if (!failed_)
            if (const int e = DurableRename(temp_, target_); e != 0)
                Fail(e);
        if (failed_)
            ::unlink(temp_.c_str());
    }
    temp_.clear();
    buffer_.clear();
    buffer_.shrink_to_fit();
    return !failed_;
}

void TSafeFileWriter::Abort() {
    if (fd_ >= 0 && mode_ != Mode::Stdout)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    buffer_.clear();
}

int SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP ? 0 : errno;
    ::close(fd);
    return error;
}

int DurableRename(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return errno;
    return SyncFolderOf(to);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return !a.empty() && !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int OutputNameError(const std::string& path) {
    if (path.empty())
        return ENOENT;
    struct stat st {};
    if (path.back() == '/' || (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
        return EISDIR;
    return 0;
}

std::string SystemReason(int error) {
    return std::strerror(error != 0 ? error : EIO);
}

} // namespace protmon
