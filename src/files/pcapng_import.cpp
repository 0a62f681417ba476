// Reading pcapng files that TPcapngRecordingWriter wrote.
#include "files/entry_bytes.h"
#include "files/pcapng_format.h"
#include "files/pcapng_reader.h"
#include "files/pcapng_recording.h"
#include "files/recording_comment.h"

#include <cstring>
#include <limits>

namespace protmon {

namespace {

constexpr std::string_view kProgramName = "Protocol Monitor";
// Interface id, time high, time low, captured length, original length.
constexpr std::size_t kEpbFixed = 20;
// Byte-order magic, versions, section length.
constexpr std::size_t kShbFixed = 16;
// Link type, reserved, snap length.
constexpr std::size_t kIdbFixed = 8;

TMonitorFileResult Failure(TMonitorFileResult r, int code, std::string message) {
    r.Code = code;
    r.Message = std::move(message);
    return r;
}

std::string_view Text(ByteView v) {
    return {reinterpret_cast<const char*>(v.data()), v.size()};
}

// The section header of our files: the program's name and the settings comment. Empty `why`
// when it is ours.
std::string CheckSection(ByteView body, TRecordingComment& comment) {
    if (Le32(body, 0) != pcapng::kByteOrderMagic || !body.has(0, kShbFixed))
        return "not a pcapng section";
    if (Le16(body, 4) != pcapng::kMajorVersion)
        return "pcapng version " + std::to_string(Le16(body, 4));
    std::string_view program;
    std::string_view text;
    const bool wellFormed =
        ForEachPcapngOption(body.sub(kShbFixed, body.size()), [&](std::uint16_t code, ByteView v) {
            if (code == pcapng::kShbUserAppl)
                program = Text(v);
            else if (code == pcapng::kOptComment && text.empty())
                text = Text(v);
        });
    if (!wellFormed)
        return "damaged section header";
    if (!program.starts_with(kProgramName))
        return program.empty() ? "no program named" : "written by " + std::string(program);
    if (!ParseRecordingComment(text, comment))
        return "the settings are missing";
    return {};
}

std::string CheckInterface(ByteView body) {
    if (!body.has(0, kIdbFixed))
        return "damaged interface description";
    if (Le16(body, 0) != pcapng::kLinkTypeRecording)
        return "link type " + std::to_string(Le16(body, 0));
    int resolution = -1;
    const bool wellFormed =
        ForEachPcapngOption(body.sub(kIdbFixed, body.size()), [&](std::uint16_t code, ByteView v) {
            if (code == pcapng::kIfTsResol && v.size() == 1)
                resolution = v.at(0);
        });
    if (!wellFormed)
        return "damaged interface description";
    if (resolution != pcapng::kTsResolNanoseconds)
        return "time stamps not in nanoseconds";
    return {};
}

// Fills `e` from an enhanced packet block; empty result when the packet is one of ours.
std::string DecodePacket(ByteView body, std::uint32_t interfaces, TTelEntry& e, bool& marked) {
    if (!body.has(0, kEpbFixed))
        return "packet block too short";
    if (Le32(body, 0) >= interfaces)
        return "packet of an undescribed interface";
    const std::uint64_t time = (std::uint64_t{Le32(body, 4)} << 32) | Le32(body, 8);
    const std::uint32_t captured = Le32(body, 12);
    if (!body.has(kEpbFixed, captured))
        return "packet longer than its block";
    const ByteView p = body.sub(kEpbFixed, captured);
    if (p.size() < pcapng::kPacketHeaderSize ||
        p.size() > pcapng::kPacketHeaderSize + kStoredDataBytes)
        return "packet of " + std::to_string(p.size()) + " bytes";
    const std::size_t meaningful = p.at(1);
    const std::uint8_t basis = p.at(6);
    if (p.at(0) >= kEntryKindCount || basis >= kTimeBasisCount ||
        meaningful > p.size() - pcapng::kPacketHeaderSize)
        return "packet header not ours";
    if (basis == static_cast<std::uint8_t>(TimeBasis::Receive) &&
        time > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return "time out of range";
    e.Channel = p.be16(2);
    e.TimeStamp = p.be16(4);
    e.ReceiveTime = basis == static_cast<std::uint8_t>(TimeBasis::Receive)
                        ? static_cast<std::int64_t>(time)
                        : 0;
    // An entry of zeros is the header alone: its empty part has no address to copy from.
    const ByteView bytes = p.sub(pcapng::kPacketHeaderSize, kStoredDataBytes);
    if (!bytes.empty())
        std::memcpy(e.Data.data(), bytes.data(), bytes.size());
    marked = (p.at(7) & pcapng::kFlagMarked) != 0;
    return {};
}

// Walks the blocks after the section header. With `list` the packets become entries; without,
// they are only counted.
struct TBlockWalk {
    TTelegramList* List = nullptr;
    int MarkIndex = -1;
    std::uint64_t Packets = 0;
    int Code = kMonitorFileOk;
    std::string Message;
};

void Keep(TBlockWalk& w, const TTelEntry& e, bool marked) {
    if (w.List != nullptr)
        *w.List->AppendEntry() = e;
    if (marked && w.MarkIndex < 0)
        w.MarkIndex = static_cast<int>(w.Packets);
    ++w.Packets;
}

void WalkBlocks(TPcapngReader& in, TBlockWalk& w) {
    std::uint32_t interfaces = 0;
    for (;;) {
        const TPcapngReader::Status s = in.Next();
        if (s == TPcapngReader::kEnd)
            return;
        std::string why;
        int code = kRecordingNotOurs;
        if (s != TPcapngReader::kBlock) {
            why = s == TPcapngReader::kBigEndian ? "a second section" : in.Error();
            code = s == TPcapngReader::kBigEndian ? kRecordingNotOurs : kMonitorFileIoError;
        } else if (in.Type() == pcapng::kSectionHeaderBlock) {
            why = "a second section";
        } else if (in.Type() == pcapng::kInterfaceDescriptionBlock) {
            why = CheckInterface(in.Body());
            ++interfaces;
        } else if (in.Type() == pcapng::kEnhancedPacketBlock) {
            TTelEntry e;
            bool marked = false;
            why = DecodePacket(in.Body(), interfaces, e, marked);
            code = kMonitorFileIoError;
            if (why.empty())
                Keep(w, e, marked);
            else
                why += " at offset " + std::to_string(in.Offset());
        }
        if (!why.empty()) {
            w.Code = code;
            w.Message = (code == kRecordingNotOurs ? kNotOursText : kDamagedText) + why;
            return;
        }
    }
}

// The end of a walk: a damaged block, or fewer packets than the section comment counts (a file
// cut at a block boundary, a subset another tool made), is reported with the numbers. A count of
// 0 says nothing: a recorder streaming into the file cannot know it when it writes the comment.
TMonitorFileResult JudgeWalk(TMonitorFileResult r, const TBlockWalk& w, std::int32_t claimed) {
    const auto packets = static_cast<std::int64_t>(w.Packets);
    if (packets < claimed)
        r.Detail = LoadedCountText(packets, claimed);
    if (w.Code != kMonitorFileOk)
        return Failure(r, w.Code, w.Message);
    if (!r.Detail.empty())
        return Failure(r, kMonitorFileIoError, kReadErrorText);
    return r;
}

// Opens the file and checks its section header.
TMonitorFileResult OpenSection(const std::string& path, TPcapngReader& in,
                               TRecordingComment& comment) {
    TMonitorFileResult r;
    if (!in.Open(path))
        return Failure(r, kMonitorFileOpenError, kReadErrorText);
    const TPcapngReader::Status s = in.Next();
    if (s == TPcapngReader::kBigEndian)
        return Failure(r, kRecordingNotOurs, std::string(kNotOursText) + "big-endian pcapng");
    if (s != TPcapngReader::kBlock)
        return Failure(r, kMonitorFileIoError, kDamagedText + in.Error());
    if (in.Type() != pcapng::kSectionHeaderBlock)
        return Failure(r, kRecordingNotOurs, std::string(kNotOursText) + "not a pcapng file");
    const std::string why = CheckSection(in.Body(), comment);
    if (!why.empty())
        return Failure(r, kRecordingNotOurs, kNotOursText + why);
    r.Version = 1;
    return r;
}

} // namespace

TMonitorFileResult ReadPcapngRecording(const std::string& path, TTelegramList& list,
                                       TCaptureSettings& settings, int& markIndex) {
    markIndex = -1;
    TPcapngReader in;
    TRecordingComment comment;
    TMonitorFileResult r = OpenSection(path, in, comment);
    if (r.Code == kMonitorFileOpenError)
        return r;
    list.Clear();
    if (!r.Ok()) {
        in.Close();
        list.FinishLoading();
        return r;
    }
    for (int f = kTimeStampResolution; f < kEntryCount; ++f)
        ApplyHeaderField(settings, static_cast<HeaderField>(f),
                         comment.Header[static_cast<std::size_t>(f)]);
    settings.PortText = comment.PortText;

    TBlockWalk walk;
    walk.List = &list;
    WalkBlocks(in, walk);
    const bool closed = in.Close();
    list.FinishLoading();
    markIndex = walk.MarkIndex;
    r.EntriesRead = list.Count();
    if (walk.Code == kMonitorFileOk && !closed)
        return Failure(r, kMonitorFileIoError, kReadErrorText);
    return JudgeWalk(r, walk, comment.Header[kEntryCount]);
}

TMonitorFileResult ReadPcapngInfo(const std::string& path, TMonitorFileInfo& info) {
    info = TMonitorFileInfo{};
    TPcapngReader in;
    TRecordingComment comment;
    TMonitorFileResult r = OpenSection(path, in, comment);
    info.FileSize = in.FileSize();
    if (!r.Ok())
        return r;
    info.Version = 1;
    info.FieldsRead = kHeaderFieldCount;
    info.Header = comment.Header;
    TBlockWalk walk;
    WalkBlocks(in, walk);
    in.Close();
    info.EntriesPresent = walk.Packets;
    return JudgeWalk(r, walk, comment.Header[kEntryCount]);
}

} // namespace protmon
