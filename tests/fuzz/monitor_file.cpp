// The monitor file reader (and the header view of `protmon-cli info`) on arbitrary file contents.
#include "files/monitor_file.h"

#include "fuzz_check.h"
#include "fuzz_memory_file.h"

#include <string>

using namespace protmon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzz::MemoryFileWith(data, size);

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
