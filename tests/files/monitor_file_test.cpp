#include "files/monitor_file.h"
#include "support/temp_dir.h"

#include <climits>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace protmon;
using namespace protmon::test;

namespace {

void FillEntries(TTelegramList& list, int count) {
    for (int i = 0; i < count; ++i) {
        TTelEntry* e = list.NewTelEntry();
        for (std::size_t b = 0; b < kTelDataSize; ++b)
            e->Data[b] = static_cast<std::uint8_t>(i + b + 1);
        e->Channel = static_cast<std::uint16_t>(i % 2);
        e->TimeStamp = static_cast<std::uint16_t>(0xFFFF - i);
    }
}

std::vector<std::uint8_t> HeaderBytes(std::vector<std::int32_t> values) {
    std::vector<std::uint8_t> out;
    for (const std::int32_t v : values)
        AppendLe32(out, v);
    return out;
}

// A version 1 header with distinctive settings and the given entry count.
std::vector<std::uint8_t> V1Header(std::int32_t entryCount) {
    return HeaderBytes({-1, 1024, 1, 0, 3, 7, 65536 + 8, 7, 1, 3, 4, 777, 7, 2, entryCount});
}

bool SameSettings(const TCaptureSettings& a, const TCaptureSettings& b) {
    const auto& x = a.LineMonitor;
    const auto& y = b.LineMonitor;
    return a.Selection == b.Selection && a.Comm == b.Comm && a.PdOut == b.PdOut &&
           a.PdIn == b.PdIn && a.Monitor == b.Monitor && a.SourceFlags == b.SourceFlags &&
           a.TimeStampResolution == b.TimeStampResolution && a.PortIndex == b.PortIndex &&
           a.BaudIndex == b.BaudIndex && x.BaudIndex == y.BaudIndex &&
           x.TimeStampIndex == y.TimeStampIndex && x.DataBits == y.DataBits &&
           x.Parity == y.Parity && x.HandshakeMode == y.HandshakeMode &&
           x.EndOfTelegramText == y.EndOfTelegramText && x.ViewFlag == y.ViewFlag &&
           a.RawFormat.DataBits == b.RawFormat.DataBits && a.RawFormat.Parity == b.RawFormat.Parity;
}

std::size_t FilesIn(const TTempDir& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++n;
    return n;
}

} // namespace

TEST(MonitorFile, EmptyListIsSixtyBytesAndRestoresSettings) {
    TTempDir dir;
    TTelegramList list;
    TCaptureSettings saved;
    saved.Selection = Protocol::Raw;
    saved.SourceFlags = kSourceLineMonitor;
    saved.Monitor = true;
    saved.TimeStampResolution = 8192;
    saved.PortIndex = 2;
    saved.BaudIndex = 7;
    saved.LineMonitor = {1,      13, 4, 7, ParityChoice::None, Handshake::SoftwareSingleChannel,
                         "2500", 1};
    saved.RawFormat = {7, ParityChoice::Odd};
    const std::string path = dir.File("empty.bu5");
    ASSERT_TRUE(SaveMonitorFile(path, list, saved).Ok());

    const auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 60u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 4, bytes.end()),
              (std::vector<std::uint8_t>{0, 0, 0, 0}));

    TCaptureSettings loaded;
    loaded.LineMonitor.ProtocolIndex = 1; // not carried by the file
    const TMonitorFileResult r = ReadMonitorFile(path, list, loaded);
    ASSERT_TRUE(r.Ok()) << r.Message;
    EXPECT_EQ(r.Version, 1);
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(SameSettings(saved, loaded));
    EXPECT_EQ(FilesIn(dir), 1u); // no temporary file left behind
}

TEST(MonitorFile, EntriesSurviveExceptTheUnstoredBytes) {
    TTempDir dir;
    TTelegramList list;
    FillEntries(list, 3);
    list.At(1)->Channel = 1;
    list.At(1)->TimeStamp = 0xFFFF;
    list.At(2)->Channel = kNoChannel;
    const std::string path = dir.File("three.bu5");
    TCaptureSettings settings;
    ASSERT_TRUE(SaveMonitorFile(path, list, settings).Ok());
    EXPECT_EQ(ReadBytes(path).size(), 60u + 3 * 54);

    TTelegramList back;
    const TMonitorFileResult r = ReadMonitorFile(path, back, settings);
    ASSERT_TRUE(r.Ok());
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(r.EntriesRead, 3);
    for (int i = 0; i < 3; ++i) {
        const TTelEntry& a = *list.At(i);
        const TTelEntry& b = *back.At(i);
        EXPECT_EQ(b.Channel, a.Channel);
        EXPECT_EQ(b.TimeStamp, a.TimeStamp);
        EXPECT_TRUE(std::equal(a.Data.begin(), a.Data.begin() + 50, b.Data.begin()));
        EXPECT_EQ(b.Data[50], 0);
        EXPECT_EQ(b.Data[51], 0);
    }
    EXPECT_EQ(back.At(1)->Channel, 1);
    EXPECT_EQ(back.At(1)->TimeStamp, 0xFFFF);
    EXPECT_EQ(back.WriteIndex(), -1);
}

TEST(MonitorFile, VersionZero) {
    TTempDir dir;
    const std::string path = dir.File("v0.bu5");
    TCaptureSettings settings;
    settings.BaudIndex = 2;
    const TCaptureSettings before = settings;
    TTelegramList list;

    WriteBytes(path, HeaderBytes({0}));
    ASSERT_TRUE(ReadMonitorFile(path, list, settings).Ok());
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(SameSettings(before, settings));

    auto bytes = HeaderBytes({2});
    for (int i = 0; i < 100; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i + 1));
    WriteBytes(path, bytes);
    const TMonitorFileResult r = ReadMonitorFile(path, list, settings);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.Version, 0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0)->Channel, kNoChannel);
    EXPECT_EQ(list.At(0)->TimeStamp, 0);
    EXPECT_EQ(list.At(0)->Data[0], 1);
    EXPECT_EQ(list.At(0)->Data[49], 50);
    EXPECT_EQ(list.At(1)->Data[0], 51);
    EXPECT_EQ(list.At(1)->Data[50], 0);
    EXPECT_TRUE(SameSettings(before, settings));
}

TEST(MonitorFile, RefusedVersionsLeaveTheListEmpty) {
    const struct {
        std::int32_t marker;
        const char* message;
    } cases[] = {
        {-2, "Unsupported file version: 2"},
        {-100, "Unsupported file version: 100"},
        {INT_MIN, "Unsupported file version: 2147483648"},
    };
    TTempDir dir;
    const std::string path = dir.File("new.bu5");
    for (const auto& c : cases) {
        auto bytes = HeaderBytes({c.marker, 8, 2, 8});
        bytes.resize(60 + 54, 0x11);
        WriteBytes(path, bytes);
        TTelegramList list;
        FillEntries(list, 4);
        TCaptureSettings settings;
        const TMonitorFileResult r = ReadMonitorFile(path, list, settings);
        EXPECT_EQ(r.Code, kMonitorFileUnsupportedVersion);
        EXPECT_EQ(r.Message, c.message);
        EXPECT_TRUE(list.Empty());
        EXPECT_TRUE(SameSettings(TCaptureSettings{}, settings));
    }
}

TEST(MonitorFile, HeaderCutShortKeepsTheRemainingSettings) {
    TTempDir dir;
    const std::string path = dir.File("cut.bu5");
    // Marker, resolution, protocol, source flags, then half of PortIndex.
    auto bytes = HeaderBytes({-1, 128, 2, 8});
    bytes.push_back(5);
    bytes.push_back(0);
    WriteBytes(path, bytes);

    TCaptureSettings settings;
    settings.PortIndex = 4;
    settings.BaudIndex = 1;
    TTelegramList list;
    const TMonitorFileResult r = ReadMonitorFile(path, list, settings);
    EXPECT_EQ(r.Code, kMonitorFileIoError);
    EXPECT_EQ(r.Message, "Error reading from file");
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(settings.TimeStampResolution, 128);
    EXPECT_EQ(settings.Selection, Protocol::Raw);
    EXPECT_TRUE(settings.Monitor);
    EXPECT_EQ(settings.PortIndex, 4);
    EXPECT_EQ(settings.BaudIndex, 1);

    WriteBytes(path, {0xFF, 0xFF});
    EXPECT_EQ(ReadMonitorFile(path, list, settings).Code, kMonitorFileIoError);
    WriteBytes(path, {});
    EXPECT_EQ(ReadMonitorFile(path, list, settings).Code, kMonitorFileIoError);
}

TEST(MonitorFile, EntriesCutShortKeepWhatIsThere) {
    const struct {
        std::int32_t claimed;
        std::size_t extraBytes; // after two whole entries
        int expectedEntries;
        bool ok;
    } cases[] = {
        {2, 0, 2, true},
        {2, 30, 2, false}, // bytes behind the last entry are read past, reported
        {3, 0, 2, false},
        {3, 10, 3, false}, // the entry cut off holds what was read
    };
    TTempDir dir;
    const std::string path = dir.File("short.bu5");
    for (const auto& c : cases) {
        auto bytes = V1Header(c.claimed);
        for (std::size_t i = 0; i < 2 * 54 + c.extraBytes; ++i)
            bytes.push_back(static_cast<std::uint8_t>(i));
        WriteBytes(path, bytes);
        TTelegramList list;
        TCaptureSettings settings;
        const TMonitorFileResult r = ReadMonitorFile(path, list, settings);
        EXPECT_EQ(r.Ok(), c.ok) << c.claimed << "/" << c.extraBytes;
        if (!c.ok) {
            EXPECT_EQ(r.Message, "Error reading from file");
        }
        ASSERT_EQ(list.Count(), c.expectedEntries) << c.claimed << "/" << c.extraBytes;
        if (c.expectedEntries == 3) {
            const TTelEntry& cut = *list.At(2);
            EXPECT_EQ(cut.Channel, c.extraBytes >= 2 ? (109 << 8 | 108) : kNoChannel);
            EXPECT_EQ(cut.Data[0], c.extraBytes > 4 ? 112 : 0);
            EXPECT_EQ(cut.Data[49], 0);
        }
    }
}

// Files that are no recording are refused before anything changes; files that are not whole are
// read as far as they go and say so with their numbers. `info` judges each file alike.
TEST(MonitorFile, HostileAndDamagedFilesAreRefusedOrReported) {
    const std::string text = "Version: 0\nEntryCount: 1917853731\nThis is a text file.\n";
    std::vector<std::uint8_t> textFile(text.begin(), text.end());
    textFile.resize(4096, ' ');
    std::vector<std::uint8_t> smallAndRandom = HeaderBytes({3});
    std::uint32_t seed = 99;
    while (smallAndRandom.size() < 4000) {
        seed = seed * 1664525u + 1013904223u;
        smallAndRandom.push_back(static_cast<std::uint8_t>(seed >> 24));
    }
    const auto v1 = [](std::int32_t claimed, std::size_t bytes) {
        auto b = V1Header(claimed);
        b.resize(b.size() + bytes, 0x33);
        return b;
    };
    // 64 MiB is the most a cut may lack once it lacks more than the file holds.
    constexpr std::int32_t kLargestCut = (64 << 20) / 54;
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        int code;
        const char* detail; // prefix
        int entries;        // -1: the list stays as it was
    } cases[] = {
        {"text file", textFile, kRecordingNotOurs,
         "not a recording: the header claims 1936876886 entries of 50 bytes, the file holds 4092 "
         "bytes after its header",
         -1},
        {"zeros", std::vector<std::uint8_t>(4096, 0), kMonitorFileIoError,
         "4092 bytes after the last entry", 0},
        {"small count, random bytes", smallAndRandom, kMonitorFileIoError,
         "3846 bytes after the last entry", 3},
        {"count -1", v1(-1, 54), kRecordingNotOurs, "not a recording: the header claims -1 entries",
         -1},
        {"count far beyond the file", v1(2'000'000'000, 3 * 54), kRecordingNotOurs,
         "not a recording: the header claims 2000000000 entries", -1},
        {"cut inside the entries", v1(10, 3 * 54 + 20), kMonitorFileIoError,
         "loaded 4 of 10 entries", 4},
        {"cut, half the entries there", v1(12, 6 * 54), kMonitorFileIoError,
         "loaded 6 of 12 entries", 6},
        {"cut, the most a cut may lack", v1(kLargestCut, 0), kMonitorFileIoError,
         "loaded 0 of 1242756 entries", 0},
        {"lacking more than a cut may", v1(kLargestCut + 1, 0), kRecordingNotOurs,
         "not a recording", -1},
        {"trailing bytes", v1(1, 54 + 7), kMonitorFileIoError, "7 bytes after the last entry", 1},
        {"version 0, empty", HeaderBytes({0}), kMonitorFileOk, "", 0},
        {"whole", v1(2, 2 * 54), kMonitorFileOk, "", 2},
    };
    TTempDir dir;
    const std::string path = dir.File("hostile.bu5");
    for (const auto& c : cases) {
        WriteBytes(path, c.bytes);
        TTelegramList list;
        FillEntries(list, 5);
        TCaptureSettings settings;
        settings.BaudIndex = 2;
        const TCaptureSettings before = settings;
        const TMonitorFileResult r = ReadMonitorFile(path, list, settings);
        EXPECT_EQ(r.Code, c.code) << c.name;
        EXPECT_EQ(r.Message, r.Ok() ? "" : "Error reading from file") << c.name;
        EXPECT_TRUE(r.Detail.starts_with(c.detail)) << c.name << ": " << r.Detail;
        EXPECT_EQ(list.Count(), c.entries < 0 ? 5 : c.entries) << c.name;
        if (c.entries < 0) {
            EXPECT_TRUE(SameSettings(before, settings)) << c.name;
            EXPECT_EQ(list.At(0)->TimeStamp, 0xFFFF) << c.name;
        }
        TMonitorFileInfo info;
        const TMonitorFileResult ri = ReadMonitorFileInfo(path, info);
        EXPECT_EQ(ri.Code, r.Code) << c.name;
        EXPECT_EQ(ri.Detail, r.Detail) << c.name;
        EXPECT_EQ(info.Version < 0, c.entries < 0) << c.name;
    }
}

TEST(MonitorFile, CapacityRulesAfterReading) {
    TTempDir dir;
    const std::string path = dir.File("cap.bu5");
    TCaptureSettings settings;
    {
        TTelegramList source;
        source.SetBufferDepth(100);
        FillEntries(source, 25);
        ASSERT_TRUE(SaveMonitorFile(path, source, settings).Ok());
    }
    TTelegramList small;
    small.SetBufferDepth(10);
    ASSERT_TRUE(ReadMonitorFile(path, small, settings).Ok());
    EXPECT_EQ(small.Count(), 25);
    EXPECT_EQ(small.Capacity(), 25);
    EXPECT_EQ(small.WriteIndex(), 0);
    // The next capture overwrites the oldest entry first.
    small.NewTelEntry()->Data[0] = 0xEE;
    EXPECT_EQ(small.At(0)->Data[0], 0xEE);

    {
        TTelegramList source;
        FillEntries(source, 5);
        ASSERT_TRUE(SaveMonitorFile(path, source, settings).Ok());
    }
    TTelegramList big;
    ASSERT_TRUE(ReadMonitorFile(path, big, settings).Ok());
    EXPECT_EQ(big.Count(), 5);
    EXPECT_EQ(big.Capacity(), kDefaultBufferDepth);
    EXPECT_EQ(big.WriteIndex(), -1);
}

TEST(MonitorFile, MissingFileChangesNothing) {
    TTempDir dir;
    TTelegramList list;
    FillEntries(list, 2);
    TCaptureSettings settings;
    const TMonitorFileResult r = ReadMonitorFile(dir.File("absent.bu5"), list, settings);
    EXPECT_EQ(r.Code, kMonitorFileOpenError);
    EXPECT_EQ(r.Message, "Error reading from file");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(ReadMonitorFile(dir.Path().string(), list, settings).Code, kMonitorFileOpenError);
}

TEST(MonitorFile, FailedCreateLeavesNoFile) {
    TTempDir dir;
    TTelegramList list;
    TCaptureSettings settings;
    const TMonitorFileResult r = SaveMonitorFile(dir.File("no/such/folder/x.bu5"), list, settings);
    EXPECT_EQ(r.Code, kMonitorFileOpenError);
    EXPECT_EQ(r.Message, "Error writing to file");
    EXPECT_EQ(FilesIn(dir), 0u);
}

TEST(MonitorFile, ReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind root";
    TTempDir dir;
    const std::string path = dir.File("keep.bu5");
    TTelegramList list;
    FillEntries(list, 2);
    TCaptureSettings settings;
    ASSERT_TRUE(SaveMonitorFile(path, list, settings).Ok());
    const auto before = ReadBytes(path);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    FillEntries(list, 3);
    EXPECT_EQ(SaveMonitorFile(path, list, settings).Code, kMonitorFileOpenError);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(MonitorFile, ReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    TTempDir dir;
    const std::string path = dir.File("locked.bu5");
    TTelegramList list;
    TCaptureSettings settings;
    ASSERT_TRUE(SaveMonitorFile(path, list, settings).Ok());
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    FillEntries(list, 3);
    EXPECT_EQ(SaveMonitorFile(path, list, settings).Code, kMonitorFileOpenError);
    EXPECT_EQ(ReadBytes(path).size(), 60u);
}

// A write that fails part-way (here: the file size limit) must not replace the previous file.
TEST(MonitorFile, FailedWriteKeepsTheOldFile) {
    TTempDir dir;
    const std::string path = dir.File("keep.bu5");
    TTelegramList list;
    FillEntries(list, 2);
    TCaptureSettings settings;
    ASSERT_TRUE(SaveMonitorFile(path, list, settings).Ok());
    const auto before = ReadBytes(path);

    FillEntries(list, 200);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const TMonitorFileResult r = SaveMonitorFile(path, list, settings);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(r.Code, kMonitorFileIoError);
    EXPECT_EQ(r.Message, "Error writing to file");
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(FilesIn(dir), 1u);
}

TEST(MonitorFile, SavingThroughALinkReplacesTheLinkedFile) {
    TTempDir dir;
    const std::string real = dir.File("real.bu5");
    const std::string link = dir.File("link.bu5");
    TTelegramList list;
    TCaptureSettings settings;
    ASSERT_TRUE(SaveMonitorFile(real, list, settings).Ok());
    std::filesystem::create_symlink(real, link);
    FillEntries(list, 1);
    ASSERT_TRUE(SaveMonitorFile(link, list, settings).Ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real).size(), 60u + 54);
}

TEST(MonitorFile, InfoReportsTheHeader) {
    TTempDir dir;
    const std::string path = dir.File("info.bu5");
    auto bytes = V1Header(4);
    bytes.resize(bytes.size() + 54 * 3 + 7);
    WriteBytes(path, bytes);
    TMonitorFileInfo info;
    ASSERT_TRUE(ReadMonitorFileInfo(path, info).Ok());
    EXPECT_EQ(info.Version, 1);
    EXPECT_EQ(info.FieldsRead, 15);
    EXPECT_EQ(info.Header[kEndOfTelegramTime], 777);
    EXPECT_EQ(info.Header[kEntryCount], 4);
    EXPECT_EQ(info.EntriesPresent, 3u);
}

// Damaged files of every kind read without touching memory outside the file's bytes and without
// more entries than the file can hold.
TEST(MonitorFile, DamagedFilesNeverYieldMoreThanTheyHold) {
    TTempDir dir;
    const std::string path = dir.File("damaged.bu5");
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> bytes(next() % 400);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(next());
        if (bytes.size() >= 4 && round % 2 == 0)
            bytes[0] = bytes[1] = bytes[2] = bytes[3] = 0xFF; // mostly version 1
        if (bytes.size() >= 60 && round % 4 == 0)
            bytes[59] = 0x7F; // a huge claimed count
        WriteBytes(path, bytes);
        TTelegramList list;
        TCaptureSettings settings;
        const TMonitorFileResult r = ReadMonitorFile(path, list, settings);
        const std::size_t bound = bytes.size() / kEntrySizeV0 + 1;
        EXPECT_LE(static_cast<std::size_t>(list.Count()), bound) << round;
        EXPECT_EQ(r.EntriesRead, list.Count());
        if (!r.Ok()) {
            EXPECT_FALSE(r.Message.empty());
        }
    }
}
