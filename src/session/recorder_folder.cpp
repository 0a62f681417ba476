#include "session/recorder_folder.h"

#include "files/file_io.h"
#include "files/monitor_file.h"
#include "files/pcapng_format.h"
#include "session/record_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace protmon {

namespace {

std::string FolderOf(const std::string& prefix) {
    const std::size_t slash = prefix.rfind('/');
    if (slash == std::string::npos)
        return "";
    return prefix.substr(0, slash + 1);
}

// The names in the prefix's folder, sorted (which sorts a prefix's files by time).
std::vector<std::string> FolderNames(const std::string& prefix) {
    std::vector<std::string> names;
    const std::string folder = FolderOf(prefix);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* e = ::readdir(dir))
        names.emplace_back(e->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The end of the last whole unit of a monitor file of `size` bytes, and its entries.
std::uint64_t MonitorFileEnd(std::uint64_t size, long long& entries) {
    if (size < kHeaderSizeV1)
        return 0;
    entries = static_cast<long long>((size - kHeaderSizeV1) / kEntrySizeV1);
    return kHeaderSizeV1 + static_cast<std::uint64_t>(entries) * kEntrySizeV1;
}

// The end of the last whole block of a pcapng file, and the packets before it.
std::uint64_t PcapngEnd(int fd, std::uint64_t size, long long& entries) {
    std::uint64_t at = 0;
    std::uint8_t head[8];
    while (at + 12 <= size && ::pread(fd, head, sizeof head, static_cast<off_t>(at)) == 8) {
        const std::uint32_t length = Le32(head + 4);
        if (length < 12 || length % 4 != 0 || at + length > size)
            break;
        if (Le32(head) == pcapng::kEnhancedPacketBlock)
            ++entries;
        at += length;
    }
    return at;
}

// Cuts the file to its whole entries and sets a monitor file's count.
void FinishLeftover(const std::string& path, bool pcapng, TLeftover& r) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        r.Error = errno;
        if (fd >= 0)
            ::close(fd);
        return;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t end =
        pcapng ? PcapngEnd(fd, size, r.Entries) : MonitorFileEnd(size, r.Entries);
    bool ok = end == 0 || ::ftruncate(fd, static_cast<off_t>(end)) == 0;
    if (ok && end > 0 && !pcapng) {
        std::uint8_t count[4];
        for (int i = 0; i < 4; ++i)
            count[i] = static_cast<std::uint8_t>(r.Entries >> (8 * i));
        ok = ::pwrite(fd, count, 4, 4 * kEntryCount) == 4;
    }
    ok = ok && ::fsync(fd) == 0;
    if (!ok)
        r.Error = errno;
    ::close(fd);
}

} // namespace

TPrefixLock::~TPrefixLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool TPrefixLock::Take(const std::string& prefix, std::string& error) {
    const std::string path = prefix + ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        // The number is for people who find the lock; nothing depends on it.
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd_, 0) == 0) {
            [[maybe_unused]] const ssize_t w = ::pwrite(fd_, pid.data(), pid.size(), 0);
        }
        return true;
    }
    char holder[32] = {};
    const ssize_t n = ::pread(fd_, holder, sizeof holder - 1, 0);
    std::string pid(holder, n > 0 ? static_cast<std::size_t>(n) : 0);
    pid.erase(std::remove(pid.begin(), pid.end(), '\n'), pid.end());
    error = "another recorder (process " + (pid.empty() ? std::string("?") : pid) +
            ") is recording with the prefix " + prefix + " (" + path + " is locked)";
    ::close(fd_);
    fd_ = -1;
    return false;
}

std::vector<std::string> EarlierRecordFiles(const std::string& prefix, RecordingFormat format) {
    std::vector<std::string> files;
    const std::string base = RecordBaseName(prefix);
    for (const std::string& name : FolderNames(prefix))
        if (IsRecordFileOf(name, base, format))
            files.push_back(FolderOf(prefix) + name);
    return files;
}

std::vector<TLeftover> RecoverLeftovers(const std::string& prefix) {
    std::vector<TLeftover> found;
    const std::string base = RecordBaseName(prefix);
    for (const std::string& name : FolderNames(prefix)) {
        const std::string final = FinalNameOfTemp(name, base);
        if (final.empty())
            continue;
        TLeftover r;
        r.Temp = FolderOf(prefix) + name;
        const bool pcapng = IsRecordFileOf(final, base, RecordingFormat::Pcapng);
        FinishLeftover(r.Temp, pcapng, r);
        if (r.Error == 0 && r.Entries == 0) {
            ::unlink(r.Temp.c_str());
        } else if (r.Error == 0) {
            std::string target = FreeRecordName(FolderOf(prefix) + final);
            bool moved = false;
            for (int attempt = 0; attempt < 1000 && !moved && r.Error == 0; ++attempt) {
                moved = RenameNoReplace(r.Temp, target);
                if (!moved && errno != EEXIST)
                    r.Error = errno;
                else if (!moved)
                    target = FreeRecordName(NextSequenceName(target));
            }
            if (moved) {
                r.Final = target;
                SyncFolderOf(target);
            }
        }
        found.push_back(r);
    }
    return found;
}

std::string FreeRecordName(std::string path) {
    for (int attempt = 0; attempt < 1000 && ::access(path.c_str(), F_OK) == 0; ++attempt)
        path = NextSequenceName(path);
    return path;
}

} // namespace protmon
