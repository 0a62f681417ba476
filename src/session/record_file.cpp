#include "session/record_file.h"

#include "files/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace protmon {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

} // namespace

TRecordFile::~TRecordFile() {
    Abort();
}

bool TRecordFile::Create(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    Abort();
    error_ = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        error_ = errno;
        temp_.clear();
        return false;
    }
    buffer_.clear();
    buffer_.reserve(kBufferSize);
    flushed_ = safeEnd_ = 0;
    pending_.clear();
    unitsOnDisk_ = 0;
    return true;
}

void TRecordFile::Write(const void* data, std::size_t n) {
    if (fd_ < 0 || Failed())
        return;
    const auto* p = static_cast<const std::uint8_t*>(data);
    buffer_.insert(buffer_.end(), p, p + n);
}

void TRecordFile::EndUnit() {
    if (fd_ < 0 || Failed())
        return;
    pending_.push_back(flushed_ + buffer_.size());
    if (buffer_.size() >= kBufferSize)
        Flush();
}

void TRecordFile::WriteAt(std::uint64_t offset, const void* data, std::size_t n) {
    if (fd_ < 0)
        return;
    if (offset >= flushed_) {
        // Still buffered: patched in place.
        const std::uint64_t at = offset - flushed_;
        if (at + n <= buffer_.size())
            std::memcpy(buffer_.data() + at, data, n);
        return;
    }
    // Also after a failure: the count of a file cut back to its whole units is set in place.
    if (offset + n > flushed_)
        return;
    if (::pwrite(fd_, data, n, static_cast<off_t>(offset)) != static_cast<ssize_t>(n) && !Failed())
        Fail(errno);
}

bool TRecordFile::Flush() {
    if (fd_ < 0 || Failed())
        return false;
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t w = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            const int error = w < 0 ? errno : ENOSPC;
            flushed_ += done;
            Fail(error);
            return false;
        }
        done += static_cast<std::size_t>(w);
    }
    flushed_ += done;
    unitsOnDisk_ += static_cast<long long>(pending_.size());
    if (!pending_.empty())
        safeEnd_ = pending_.back();
    pending_.clear();
    buffer_.clear();
    return true;
}

// The disk took only part: the file is cut back to the last whole unit it holds.
void TRecordFile::Fail(int error) {
    error_ = error;
    for (const std::uint64_t end : pending_) {
        if (end > flushed_)
            break;
        safeEnd_ = end;
        ++unitsOnDisk_;
    }
    pending_.clear();
    buffer_.clear();
    if (fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(safeEnd_)) == 0)
        flushed_ = safeEnd_;
}

bool TRecordFile::Close() {
    if (fd_ < 0)
        return false;
    Flush();
    const bool synced = ::fsync(fd_) == 0;
    const int syncError = errno;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!Failed() && (!synced || !closed))
        error_ = synced ? EIO : syncError;
    return synced && closed;
}

int TRecordFile::Publish(const std::string& target) {
    if (temp_.empty())
        return ENOENT;
    if (!RenameNoReplace(temp_, target))
        return errno;
    temp_.clear();
    SyncFolderOf(target);
    return 0;
}

void TRecordFile::Abort() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    buffer_.clear();
    pending_.clear();
}

} // namespace protmon
