// Files that cannot be read as files, and headers that claim far more than the file holds.
#include "descriptions/cfg_list.h"
#include "files/monitor_file.h"
#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace protmon;
using namespace protmon::test;

namespace {

// Runs `read` on a FIFO that nobody writes. A reader that waits for a writer is released after a
// few seconds by opening the other end, so a regression fails the test instead of hanging it.
template <typename Read>
bool ReadsFifoWithoutWaiting(const std::string& fifo, Read read) {
    std::mutex m;
    std::condition_variable done;
    bool finished = false;
    std::atomic<bool> hadToRelease{false};
    std::thread watchdog([&] {
        std::unique_lock lock(m);
        if (done.wait_for(lock, std::chrono::seconds(5), [&] { return finished; }))
            return;
        hadToRelease = true;
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    read();
    {
        std::lock_guard lock(m);
        finished = true;
    }
    done.notify_one();
    watchdog.join();
    return !hadToRelease;
}

} // namespace

TEST(FileFaults, FifoAndFolderAreRefusedAtOnce) {
    TTempDir dir;
    const std::string fifo = dir.File("pipe.bu5");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, dir.Path().string()}) {
        SCOPED_TRACE(path);
        TTelegramList list;
        TCaptureSettings settings;
        TMonitorFileResult r;
        EXPECT_TRUE(
            ReadsFifoWithoutWaiting(fifo, [&] { r = ReadMonitorFile(path, list, settings); }));
        EXPECT_EQ(r.Code, kMonitorFileOpenError);
        EXPECT_EQ(r.Message, "Error reading from file");

        TMonitorFileInfo info;
        EXPECT_TRUE(ReadsFifoWithoutWaiting(fifo, [&] { r = ReadMonitorFileInfo(path, info); }));
        EXPECT_EQ(r.Code, kMonitorFileOpenError);

        TZXCfgList sets;
        std::int32_t index = 0;
        EXPECT_TRUE(
            ReadsFifoWithoutWaiting(fifo, [&] { index = sets.LoadDescriptionFile(path, false); }));
        EXPECT_EQ(index, kCfgReadFailed);

        TCfgRec set;
        std::int32_t language = 0;
        EXPECT_TRUE(ReadsFifoWithoutWaiting(fifo, [&] { language = set.LoadLanguageFile(path); }));
        EXPECT_GT(language, 0); // an errno
    }
}

// Two billion claimed entries in front of three: no recording, so nothing is read and no room is
// made; the same claim as a version 0 count alike.
TEST(FileFaults, HeaderClaimingTwoBillionEntries) {
    TTempDir dir;
    const std::string path = dir.File("claims.bu5");
    std::vector<std::uint8_t> bytes;
    for (std::int32_t v : {-1, 1, 0, 0, 0, 2, 3, 8, 0, 0, 0, 777, 8, 0, 2'000'000'000})
        AppendLe32(bytes, v);
    bytes.resize(bytes.size() + 3 * kEntrySizeV1, 0x11);
    WriteBytes(path, bytes);

    TTelegramList list;
    TCaptureSettings settings;
    const TMonitorFileResult r = ReadMonitorFile(path, list, settings);
    EXPECT_EQ(r.Code, kRecordingNotOurs);
    EXPECT_EQ(r.EntriesRead, 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_LE(list.Capacity(), kDefaultBufferDepth);

    TMonitorFileInfo info;
    EXPECT_EQ(ReadMonitorFileInfo(path, info).Code, kRecordingNotOurs);

    bytes.clear();
    AppendLe32(bytes, 2'000'000'000);
    bytes.resize(4 + 2 * kEntrySizeV0, 0x22);
    WriteBytes(path, bytes);
    const TMonitorFileResult r0 = ReadMonitorFile(path, list, settings);
    EXPECT_EQ(r0.EntriesRead, 0);
    EXPECT_EQ(r0.Code, kRecordingNotOurs);
}
