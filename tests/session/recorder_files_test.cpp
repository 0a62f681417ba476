#include "files/monitor_header.h"
#include "session/record_file.h"
#include "session/recorder_folder.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace protmon {
namespace {

using test::Bytes;
using test::TTempDir;

TEST(RecorderNames, FilesOfAPrefixTheirTemporariesAndTheNextFreeName) {
    const auto bu5 = RecordingFormat::MonitorFile;
    const auto pcapng = RecordingFormat::Pcapng;
    struct Case {
        const char* name;
        RecordingFormat format;
        bool ours;
    };
    const Case files[] = {
        {"rec-20261209-101010-000.bu5", bu5, true},
        {"rec-20261209-101010-1234.bu5", bu5, true},
        {"rec-20261209-101010-000.pcapng", pcapng, true},
        {"rec-20261209-101010-000.pcapng", bu5, false},
        {"rec-20261209-101010-00.bu5", bu5, false},
        {"rec-x-20261209-101010-000.bu5", bu5, false}, // another prefix
        {"rec-20261209-101010-000.bu5.tmp-12-1", bu5, false},
        {"rec.lock", bu5, false},
        {"reco-20261209-101010-000.bu5", bu5, false},
    };
    for (const Case& c : files)
        EXPECT_EQ(IsRecordFileOf(c.name, "rec", c.format), c.ours) << c.name;

    const std::pair<const char*, const char*> temps[] = {
        {"rec-20261209-101010-000.bu5.tmp-12-1", "rec-20261209-101010-000.bu5"},
        {"rec-20261209-101010-007.pcapng.tmp-99999-42", "rec-20261209-101010-007.pcapng"},
        {"rec-20261209-101010-000.bu5.tmp-12-", ""},
        {"rec-20261209-101010-000.bu5.tmp-x-1", ""},
        {"other-20261209-101010-000.bu5.tmp-12-1", ""},
        {"rec-20261209-101010-000.bu5", ""},
    };
    for (const auto& [name, final] : temps)
        EXPECT_EQ(FinalNameOfTemp(name, "rec"), final) << name;

    EXPECT_EQ(NextSequenceName("d/rec-20261209-101010-000.bu5"), "d/rec-20261209-101010-001.bu5");
    EXPECT_EQ(NextSequenceName("rec-20261209-101010-999.pcapng"),
              "rec-20261209-101010-1000.pcapng");
    EXPECT_EQ(RecordBaseName("/var/lib/x/rec"), "rec");
}

// A full ring makes room before the next file begins, and files of earlier runs count first.
TEST(RecorderNames, RingMakesRoomBeforeANewFileAndCountsEarlierRuns) {
    TFileRing ring(3);
    ring.Adopt({"old1", "old2"});
    EXPECT_TRUE(ring.MakeRoom().empty());
    EXPECT_TRUE(ring.Add("a", 5).empty());
    EXPECT_EQ(ring.MakeRoom(), std::vector<std::string>{"old1"});
    EXPECT_TRUE(ring.Add("b", 5).empty());
    EXPECT_EQ(ring.MakeRoom(), std::vector<std::string>{"old2"});
    EXPECT_EQ(ring.Files().size(), 2u);
    EXPECT_EQ(TFileRing(0).MakeRoom(), std::vector<std::string>{});
}

Bytes MonitorFileBytes(int entries, int extraBytes) {
    Bytes b;
    for (int i = 0; i < kHeaderFieldCount; ++i)
        test::AppendLe32(b, i == kFormatMarker ? kFormatMarkerV1 : 0);
    b.resize(b.size() + 54 * static_cast<std::size_t>(entries) +
                 static_cast<std::size_t>(extraBytes),
             7);
    return b;
}

// Blocks of `lengths` bytes each (type 6 after the first), then `extraBytes` of a cut block.
Bytes PcapngBytes(std::initializer_list<std::uint32_t> lengths, int extraBytes) {
    Bytes b;
    bool first = true;
    for (const std::uint32_t length : lengths) {
        const std::size_t at = b.size();
        test::AppendLe32(b, first ? 0x0A0D0D0A : 6);
        test::AppendLe32(b, static_cast<std::int32_t>(length));
        b.resize(at + length - 4, 0);
        test::AppendLe32(b, static_cast<std::int32_t>(length));
        first = false;
    }
    test::AppendLe32(b, 6);
    test::AppendLe32(b, 64);
    b.resize(b.size() + static_cast<std::size_t>(extraBytes));
    return b;
}

// What a killed recorder left is cut to whole entries, counted in the header and named as it
// was to be named (or the next free name); what holds no entry goes; foreign files stay.
TEST(RecorderLeftovers, FinishedWithTheirWholeEntries) {
    TTempDir dir;
    const std::string taken = dir.Write("rec-20261209-101010-001.bu5", "someone else's");
    struct Case {
        std::string temp;
        Bytes bytes;
        std::string final; // empty: removed
        long long entries;
        std::size_t size;
    };
    const Case cases[] = {
        {"rec-20261209-101010-000.bu5.tmp-1-1", MonitorFileBytes(3, 20),
         "rec-20261209-101010-000.bu5", 3, 60 + 3 * 54},
        {"rec-20261209-101010-001.bu5.tmp-1-2", MonitorFileBytes(2, 0),
         "rec-20261209-101010-002.bu5", 2, 60 + 2 * 54},
        {"rec-20261209-101010-003.bu5.tmp-1-3", MonitorFileBytes(0, 53), "", 0, 0},
        {"rec-20261209-101010-004.bu5.tmp-1-4", Bytes(30, 1), "", 0, 0},
        {"rec-20261209-101010-005.pcapng.tmp-1-5", PcapngBytes({28, 40, 44}, 10),
         "rec-20261209-101010-005.pcapng", 2, 28 + 40 + 44},
    };
    for (const Case& c : cases)
        dir.Write(c.temp, c.bytes);
    const std::string foreign = dir.Write("other-20261209-101010-000.bu5.tmp-1-1", "x");

    const std::vector<TLeftover> found = RecoverLeftovers(dir.File("rec"));
    ASSERT_EQ(found.size(), std::size(cases));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.temp);
        const auto it = std::find_if(found.begin(), found.end(), [&](const TLeftover& l) {
            return l.Temp == dir.File(c.temp);
        });
        ASSERT_NE(it, found.end());
        EXPECT_EQ(it->Error, 0);
        EXPECT_EQ(it->Entries, c.entries);
        EXPECT_FALSE(std::filesystem::exists(dir.File(c.temp)));
        EXPECT_EQ(it->Final, c.final.empty() ? "" : dir.File(c.final));
        if (c.final.empty())
            continue;
        const Bytes b = dir.Read(c.final);
        EXPECT_EQ(b.size(), c.size);
        if (c.final.ends_with(".bu5")) {
            EXPECT_EQ(b[4 * kEntryCount], c.entries);
        }
    }
    EXPECT_EQ(dir.Read("rec-20261209-101010-001.bu5").size(), 14u);
    EXPECT_TRUE(std::filesystem::exists(foreign));
    EXPECT_EQ(EarlierRecordFiles(dir.File("rec"), RecordingFormat::MonitorFile).size(), 3u);
}

// A file limit stands in for a full disk: the write that crosses it is cut short, and the file
// keeps exactly its whole units.
TEST(RecordFile, AFailedWriteKeepsTheWholeUnitsAndNeverReplacesAName) {
    TTempDir dir;
    const std::string target = dir.File("rec-20261209-101010-000.bu5");
    TRecordFile file;
    ASSERT_TRUE(file.Create(target));
    const Bytes header(60, 1);
    const Bytes entry(54, 2);
    file.Write(header.data(), header.size());
    file.EndUnit();
    ASSERT_TRUE(file.Flush());

    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 60 + 10 * 54 + 20;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    for (int i = 0; i < 30; ++i) {
        file.Write(entry.data(), entry.size());
        file.EndUnit();
    }
    const bool flushed = file.Flush();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(flushed);
    EXPECT_EQ(file.Error(), EFBIG);
    EXPECT_EQ(file.Units(), 11);
    const std::uint8_t count[4] = {10, 0, 0, 0};
    file.WriteAt(4 * kEntryCount, count, sizeof count);
    EXPECT_EQ(std::filesystem::file_size(file.TempPath()), 60u + 10 * 54);
    file.Close();

    dir.Write("rec-20261209-101010-000.bu5", "taken");
    EXPECT_EQ(file.Publish(target), EEXIST);
    EXPECT_EQ(dir.Read("rec-20261209-101010-000.bu5").size(), 5u);
    const std::string next = dir.File("rec-20261209-101010-001.bu5");
    EXPECT_EQ(file.Publish(next), 0);
    const Bytes b = dir.Read("rec-20261209-101010-001.bu5");
    ASSERT_EQ(b.size(), 60u + 10 * 54);
    EXPECT_EQ(b[4 * kEntryCount], 10);
}

} // namespace
} // namespace protmon
