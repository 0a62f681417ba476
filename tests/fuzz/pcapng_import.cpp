// The pcapng reader on arbitrary file contents: an accepted file, exported again and read back,
// gives the same entries, mark and settings.
#include "files/pcapng_recording.h"
#include "fuzz_check.h"
#include "fuzz_memory_file.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace protmon;

namespace {

// The export replaces its target by renaming, so it needs a folder: one on tmpfs per process.
const std::string& ExportPath() {
    static const std::string path = [] {
        std::string dir = "/dev/shm/pcapng-fuzz-XXXXXX";
        if (::mkdtemp(dir.data()) == nullptr) {
            dir = "/tmp/pcapng-fuzz-XXXXXX";
            FUZZ_CHECK(::mkdtemp(dir.data()) != nullptr);
        }
        return dir + "/again.pcapng";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzz::MemoryFileWith(data, size);

    TTelegramList list;
    TCaptureSettings settings;
    int mark = -2;
    const TMonitorFileResult r = ReadPcapngRecording(path, list, settings, mark);
    FUZZ_CHECK(r.Ok() == r.Message.empty());
    FUZZ_CHECK(mark >= -1 && mark < std::max(list.Count(), 1));
    FUZZ_CHECK(list.Count() <= list.Capacity());
    FUZZ_CHECK(r.Code == kMonitorFileOpenError || r.EntriesRead == list.Count() || !r.Ok());

    TMonitorFileInfo info;
    const TMonitorFileResult ri = ReadPcapngInfo(path, info);
    FUZZ_CHECK(info.FileSize == size);
    FUZZ_CHECK(ri.Code == r.Code);
    if (!r.Ok())
        return 0;
    FUZZ_CHECK(info.EntriesPresent == static_cast<std::uint64_t>(list.Count()));

    TExportOptions options;
    options.MarkIndex = mark;
    const TMonitorFileResult w = ExportPcapng(ExportPath(), list, settings, options);
    FUZZ_CHECK(w.Ok());
    TTelegramList back;
    TCaptureSettings again;
    int markBack = -2;
    const TMonitorFileResult rb = ReadPcapngRecording(ExportPath(), back, again, markBack);
    FUZZ_CHECK(rb.Ok());
    FUZZ_CHECK(back.Count() == list.Count());
    FUZZ_CHECK(markBack == mark);
    for (int i = 0; i < list.Count(); ++i) {
        const TTelEntry& a = *list.At(i);
        const TTelEntry& b = *back.At(i);
        FUZZ_CHECK(a.Data == b.Data);
        FUZZ_CHECK(a.Channel == b.Channel && a.TimeStamp == b.TimeStamp);
        FUZZ_CHECK(a.ReceiveTime == b.ReceiveTime);
    }
    FUZZ_CHECK(again.Selection == settings.Selection);
    FUZZ_CHECK(again.SourceFlags == settings.SourceFlags);
    FUZZ_CHECK(again.TimeStampResolution == settings.TimeStampResolution);
    FUZZ_CHECK(again.PortText == settings.PortText);
    return 0;
}
