#include "files/export_times.h"
#include "files/pcapng_recording.h"
#include "files/recording_comment.h"
#include "files/recording_file.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace protmon;
using namespace protmon::test;

namespace {

constexpr std::int64_t kReceiveTime = 1'700'000'000'123'456'789;

std::uint32_t Le32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

// Offsets of the blocks of `type` in a pcapng file.
std::vector<std::size_t> Blocks(const std::vector<std::uint8_t>& b, std::uint32_t type) {
    std::vector<std::size_t> out;
    for (std::size_t at = 0; at + 8 <= b.size(); at += Le32At(b, at + 4))
        if (Le32At(b, at) == type)
            out.push_back(at);
    return out;
}

void SetTelegram(TTelEntry& e, std::vector<std::uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), e.Data.begin());
}

// Entries of every kind and source: line-monitor channels A and B across a wrap of the time
// stamp counter, a receive time, a status entry, bytes left behind a short telegram.
void FillRecording(TTelegramList& list, TCaptureSettings& s) {
    s.Selection = Protocol::Trx5;
    s.SourceFlags = kSourceLineMonitor;
    s.Monitor = true;
    s.TimeStampResolution = 8;
    s.PortText = "/dev/ttyUSB1";
    s.BaudIndex = 3;
    s.LineMonitor.BaudIndex = 11;
    s.LineMonitor.EndOfTelegramText = "777";
    TTelEntry* e = list.NewTelEntry();
    SetTelegram(*e, {0x01, 0x10, 0x11});
    e->Channel = 0;
    e->TimeStamp = 0xFFF0;
    e = list.NewTelEntry();
    SetTelegram(*e, {0x02, 0x80, 0x00, 0x00, 0x00, 0x2A, 0x00, 0xA8});
    e->Channel = 1;
    e->TimeStamp = 0x0010;
    e = list.NewTelEntry();
    SetTelegram(*e, {0x00, kStatusBcc, 3, 0xAA, 0xBB, 0xCC});
    e->Channel = 0;
    e->TimeStamp = 0x0020;
    e = list.NewTelEntry();
    SetTelegram(*e, {0x01, 0x10, 0x11});
    e->Data[40] = 0x77;
    e->Data[kFilterMarkIndex] = 1; // never stored
    e->ReceiveTime = kReceiveTime;
    e = list.NewTelEntry();
    SetTelegram(*e, {0x00, kStatusWriteError, 8, 0x12});
    e->Channel = 300;
}

std::string Export(const TTempDir& dir, const std::string& name, const TTelegramList& list,
                   const TCaptureSettings& s, int mark) {
    TExportOptions o;
    o.MarkIndex = mark;
    const std::string path = dir.File(name);
    const TMonitorFileResult r = ExportPcapng(path, list, s, o);
    EXPECT_TRUE(r.Ok()) << r.Message;
    return path;
}

class PcapngRoundTrip : public ::testing::TestWithParam<Protocol> {};

TEST_P(PcapngRoundTrip, GivesTheEntriesSettingsAndMarkBackAndTheSameFileAgain) {
    TTempDir dir;
    TTelegramList list;
    TCaptureSettings saved;
    FillRecording(list, saved);
    saved.Selection = GetParam();
    const std::string first = Export(dir, "a.pcapng", list, saved, 2);

    TTelegramList back;
    TCaptureSettings loaded;
    int mark = -1;
    const TMonitorFileResult r = ReadRecording(first, back, loaded, &mark);
    ASSERT_TRUE(r.Ok()) << r.Message;
    ASSERT_EQ(back.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const TTelEntry& a = *list.At(i);
        const TTelEntry& b = *back.At(i);
        EXPECT_EQ(b.Channel, a.Channel) << i;
        EXPECT_EQ(b.TimeStamp, a.TimeStamp) << i;
        EXPECT_TRUE(std::equal(a.Data.begin(), a.Data.begin() + 50, b.Data.begin())) << i;
        EXPECT_EQ(b.Data[kFilterMarkIndex], 0) << i;
        EXPECT_EQ(b.ReceiveTime, a.ReceiveTime) << i;
    }
    EXPECT_EQ(mark, 2);
    EXPECT_EQ(MakeMonitorHeader(loaded, 5), MakeMonitorHeader(saved, 5));
    EXPECT_EQ(loaded.PortText, saved.PortText);
    EXPECT_EQ(loaded.Selection, GetParam());

    const std::string second = Export(dir, "b.pcapng", back, loaded, mark);
    EXPECT_EQ(ReadBytes(second), ReadBytes(first));
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, PcapngRoundTrip,
                         ::testing::Values(Protocol::Trx5, Protocol::Din66019II, Protocol::Raw));

TEST(PcapngExport, PacketStartsWithOurHeaderAndCarriesTheRowAndTheMark) {
    TTempDir dir;
    TTelegramList list;
    TCaptureSettings s;
    s.TimeStampResolution = 128;
    TTelEntry* e = list.NewTelEntry();
    SetTelegram(*e, {0x01, 0x10, 0x11});
    e->Channel = 0x0102;
    e->TimeStamp = 0xA1B2;
    const auto bytes = ReadBytes(Export(dir, "one.pcapng", list, s, 0));
    const auto epb = Blocks(bytes, 6);
    ASSERT_EQ(epb.size(), 1u);
    ASSERT_EQ(Le32At(bytes, epb[0] + 20), 11u); // captured length
    const std::vector<std::uint8_t> packet(bytes.begin() + epb[0] + 28,
                                           bytes.begin() + epb[0] + 39);
    EXPECT_EQ(packet,
              (std::vector<std::uint8_t>{0, 3, 0x01, 0x02, 0xA1, 0xB2, 1, 1, 0x01, 0x10, 0x11}));
    const std::string text(bytes.begin() + epb[0] + 40,
                           bytes.begin() + epb[0] + Le32At(bytes, epb[0] + 4));
    EXPECT_NE(text.find("01 \tReq Read 16\tProcess data 2*32 bits"), std::string::npos);
    EXPECT_NE(text.find(kMarkComment), std::string::npos);
}

TEST(ExportTimes, ReceiveTimeThenLineMonitorTimeThenPosition) {
    TTelegramList list;
    TTelEntry* e = list.NewTelEntry();
    e->Channel = 0;
    e->TimeStamp = 0xFFF0;
    list.NewTelEntry(); // no line-monitor data, no receive time
    e = list.NewTelEntry();
    e->Channel = 1;
    e->TimeStamp = 0x0010; // one wrap: 32 ticks after the first
    e = list.NewTelEntry();
    e->Channel = 0;
    e->TimeStamp = 0x0020;
    e->ReceiveTime = 5'000'000'000;

    const TExportTimes t(list, 8);
    struct Case {
        int Position;
        std::int64_t Ns;
        TimeBasis Basis;
    };
    for (const Case& c :
         {Case{0, 0, TimeBasis::LineMonitor}, Case{1, 1'000'000, TimeBasis::Position},
          Case{2, 32 * 8000, TimeBasis::LineMonitor}, Case{3, 5'000'000'000, TimeBasis::Receive}}) {
        EXPECT_EQ(t.At(c.Position).Nanoseconds, c.Ns) << c.Position;
        EXPECT_EQ(t.At(c.Position).Basis, c.Basis) << c.Position;
    }
    // Without a resolution of the line monitor the stamps give no time.
    const TExportTimes none(list, 0);
    EXPECT_EQ(none.At(2).Basis, TimeBasis::Position);
    EXPECT_EQ(none.At(2).Nanoseconds, 2'000'000);
}

// An entry of zeros is stored as the packet header alone; reading it back copied its empty data
// part from a null pointer (found by fuzzing; UBSan in the sanitizer build reports it).
TEST(PcapngImport, PacketOfTheHeaderAloneReadsBack) {
    TTempDir dir;
    TTelegramList list;
    TCaptureSettings s;
    s.Selection = Protocol::Raw;
    list.NewTelEntry();
    SetTelegram(*list.NewTelEntry(), {0x01, 0x10, 0x11});
    TTelegramList back;
    TCaptureSettings loaded;
    const TMonitorFileResult r =
        ReadRecording(Export(dir, "zero.pcapng", list, s, -1), back, loaded);
    ASSERT_TRUE(r.Ok()) << r.Message;
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.At(0)->Data, list.At(0)->Data);
    EXPECT_EQ(back.At(1)->Data, list.At(1)->Data);
}

// A port text with control characters in a file from elsewhere was taken as it stood, while the
// writer drops them: exported again, the file named another port (found by fuzzing).
TEST(PcapngImport, PortTextReadsAsItIsWritten) {
    TRecordingComment c;
    ASSERT_TRUE(ParseRecordingComment(MakeRecordingComment(c) + "Port: /dev/\x7ftty\x01S0\n", c));
    EXPECT_EQ(c.PortText, "/dev/ttyS0");
}

// A file cut at a block boundary, or a subset another tool made, is whole as pcapng: only the
// count of the section comment tells. A streaming recorder's file counts 0 and stays quiet.
TEST(PcapngImport, FewerPacketsThanTheCommentCountsAreReported) {
    TTempDir dir;
    TTelegramList list;
    TCaptureSettings s;
    FillRecording(list, s);
    auto bytes = ReadBytes(Export(dir, "all.pcapng", list, s, -1));
    bytes.resize(Blocks(bytes, 6)[3]); // the last two packets gone
    const std::string cut = dir.File("cut.pcapng");
    WriteBytes(cut, bytes);
    TTelegramList back;
    TCaptureSettings loaded;
    const TMonitorFileResult r = ReadRecording(cut, back, loaded);
    EXPECT_EQ(r.Code, kMonitorFileIoError);
    EXPECT_EQ(r.Text(), "Error reading from file: loaded 3 of 5 entries");
    EXPECT_EQ(back.Count(), 3);
    TMonitorFileInfo info;
    EXPECT_EQ(ReadRecordingInfo(cut, info).Text(), r.Text());
    EXPECT_EQ(info.EntriesPresent, 3u);

    TPcapngRecordingWriter stream;
    ASSERT_TRUE(stream.Open(dir.File("stream.pcapng"), s, 0,
                            1u << static_cast<unsigned>(TimeBasis::Position)));
    TDecodeContext ctx;
    ctx.List = &list;
    for (int i = 0; i < 2; ++i)
        stream.WriteEntry(ctx, i, TExportTime{}, false);
    ASSERT_TRUE(stream.Commit());
    const TMonitorFileResult streamed = ReadRecording(dir.File("stream.pcapng"), back, loaded);
    EXPECT_TRUE(streamed.Ok()) << streamed.Text();
    EXPECT_EQ(back.Count(), 2);
}

TEST(PcapngImport, RefusesOtherFilesAndKeepsWhatPrecedesDamage) {
    TTempDir dir;
    TTelegramList list;
    TCaptureSettings s;
    FillRecording(list, s);
    const auto good = ReadBytes(Export(dir, "good.pcapng", list, s, -1));
    const std::size_t idb = Blocks(good, 1)[0];
    const auto epb = Blocks(good, 6);
    const std::size_t lastEpb = epb.back();
    const auto at = [](std::size_t base, std::size_t offset) { return base + offset; };
    const auto setText = [](std::vector<std::uint8_t>& b, std::string_view from,
                            std::string_view to) {
        const auto it = std::search(b.begin(), b.end(), from.begin(), from.end());
        ASSERT_NE(it, b.end());
        std::copy(to.begin(), to.end(), it);
    };
    struct Case {
        const char* Name;
        std::function<void(std::vector<std::uint8_t>&)> Damage;
        int Code;
        const char* Message;
        int EntriesKept;
    };
    const std::vector<Case> cases = {
        {"other program", [&](auto& b) { setText(b, "Protocol Monitor 4", "Packet Catcher 1.4"); },
         kRecordingNotOurs, "Not a recording written by Protocol Monitor: written by", 0},
        {"settings missing", [&](auto& b) { setText(b, "EntryCount:", "EntryTotal:"); },
         kRecordingNotOurs, "Not a recording written by Protocol Monitor: the settings", 0},
        {"big-endian", [](auto& b) { std::reverse(b.begin() + 8, b.begin() + 12); },
         kRecordingNotOurs, "Not a recording written by Protocol Monitor: big-endian", 0},
        {"link type", [&](auto& b) { b[at(idb, 8)] = 1; }, kRecordingNotOurs,
         "Not a recording written by Protocol Monitor: link type 1", 0},
        {"cut off", [](auto& b) { b.erase(b.end() - 10, b.end()); }, kMonitorFileIoError,
         "Damaged recording: block cut off", 4},
        {"lengths differ", [](auto& b) { b[b.size() - 4] ^= 4; }, kMonitorFileIoError,
         "Damaged recording: block lengths differ", 4},
        {"huge block", [&](auto& b) { b[at(lastEpb, 7)] = 0x40; }, kMonitorFileIoError,
         "Damaged recording: block length", 4},
        {"undescribed interface", [&](auto& b) { b[at(lastEpb, 8)] = 9; }, kMonitorFileIoError,
         "Damaged recording: packet of an undescribed interface", 4},
        {"count beyond the packet", [&](auto& b) { b[at(lastEpb, 29)] = 60; }, kMonitorFileIoError,
         "Damaged recording: packet header not ours", 4},
        {"packet beyond its block", [&](auto& b) { b[at(lastEpb, 20)] = 200; }, kMonitorFileIoError,
         "Damaged recording: packet longer than its block", 4},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        c.Damage(bytes);
        const std::string path = dir.File("bad.pcapng");
        WriteBytes(path, bytes);
        TTelegramList back;
        TCaptureSettings loaded;
        const TMonitorFileResult r = ReadRecording(path, back, loaded);
        EXPECT_EQ(r.Code, c.Code) << c.Name;
        EXPECT_TRUE(r.Message.starts_with(c.Message)) << c.Name << ": " << r.Message;
        EXPECT_EQ(back.Count(), c.EntriesKept) << c.Name;
    }
}

} // namespace
