// The monitor file reader (and the header view of `protmon-cli info`) on arbitrary file contents.
#include "files/monitor_file.h"

#include "fuzz_check.h"

#include <string>
#include <sys/mman.h>
#include <unistd.h>

using namespace protmon;

namespace {

// One in-memory file for all runs: a path the reader opens like any regular file.
const std::string& MemoryFile(int& fd) {
    static int memfd = ::memfd_create("monitor-fuzz", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(memfd);
    fd = memfd;
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int fd = -1;
    const std::string& path = MemoryFile(fd);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::ftruncate(fd, 0) == 0);
    FUZZ_CHECK(::pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));

    TTelegramList list;
    TCaptureSettings settings;
    const TMonitorFileResult r = ReadMonitorFile(path, list, settings);
    FUZZ_CHECK(r.EntriesRead == list.Count());
    FUZZ_CHECK(static_cast<std::size_t>(list.Count()) <= size / kEntrySizeV0 + 1);
    FUZZ_CHECK(r.Ok() == r.Message.empty());
    FUZZ_CHECK(list.Count() <= list.Capacity());

    TMonitorFileInfo info;
    const TMonitorFileResult ri = ReadMonitorFileInfo(path, info);
    FUZZ_CHECK(info.FileSize == size);
    FUZZ_CHECK(ri.Version == r.Version);
    return 0;
}
