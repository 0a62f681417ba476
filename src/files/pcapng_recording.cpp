#include "files/pcapng_recording.h"

#include "build_info.h"
#include "descriptions/cfg_list.h"
#include "descriptions/set_code_page.h"
#include "files/entry_bytes.h"
#include "files/pcapng_format.h"
#include "files/pcapng_interfaces.h"
#include "files/recording_comment.h"
#include "files/row_export.h"

#include <array>
#include <cstring>

namespace protmon {

namespace {

constexpr const char* kUserAppl = "Protocol Monitor " PROTMON_VERSION;

// Our packet header followed by the entry's bytes; returns the packet's size.
std::size_t
EncodePacket(const TTelEntry& e, EntryKind kind, TimeBasis basis, bool marked,
             std::array<std::uint8_t, pcapng::kPacketHeaderSize + kStoredDataBytes>& p) {
    const std::size_t meaningful = MeaningfulBytes(e, kind);
    const std::size_t keep = StoredBytesToKeep(e, meaningful);
    p[0] = static_cast<std::uint8_t>(kind);
    p[1] = static_cast<std::uint8_t>(meaningful);
    p[2] = static_cast<std::uint8_t>(e.Channel >> 8);
    p[3] = static_cast<std::uint8_t>(e.Channel);
    p[4] = static_cast<std::uint8_t>(e.TimeStamp >> 8);
    p[5] = static_cast<std::uint8_t>(e.TimeStamp);
    p[6] = static_cast<std::uint8_t>(basis);
    p[7] = marked ? pcapng::kFlagMarked : 0;
    std::memcpy(p.data() + pcapng::kPacketHeaderSize, e.Data.data(), keep);
    return pcapng::kPacketHeaderSize + keep;
}

} // namespace

std::string TPcapngRecordingWriter::Prepare(const TCaptureSettings& settings,
                                            std::int32_t entryCount, unsigned timeBases) {
    settings_ = settings;
    interfaces_.clear();
    TRecordingComment comment;
    comment.Header = MakeMonitorHeader(settings, entryCount);
    comment.PortText = settings.PortText;
    comment.TimeBases = timeBases;
    return MakeRecordingComment(comment);
}

bool TPcapngRecordingWriter::Open(const std::string& path, const TCaptureSettings& settings,
                                  std::int32_t entryCount, unsigned timeBases) {
    return writer_.Open(path, kUserAppl, Prepare(settings, entryCount, timeBases));
}

void TPcapngRecordingWriter::Open(IByteSink& sink, const TCaptureSettings& settings,
                                  std::int32_t entryCount, unsigned timeBases) {
    writer_.Open(sink, kUserAppl, Prepare(settings, entryCount, timeBases));
}

std::uint32_t TPcapngRecordingWriter::InterfaceFor(std::uint16_t channel) {
    for (const auto& [ch, id] : interfaces_)
        if (ch == channel)
            return id;
    const TInterfaceTexts texts = InterfaceTexts(settings_, channel);
    const std::uint32_t id = writer_.AddInterface(texts.Name, texts.Description);
    interfaces_.emplace_back(channel, id);
    return id;
}

void TPcapngRecordingWriter::WriteEntry(const TDecodeContext& ctx, int position,
                                        const TExportTime& time, bool marked) {
    const TTelEntry* e = ctx.List != nullptr ? ctx.List->At(position) : nullptr;
    if (e == nullptr)
        return;
    std::array<std::uint8_t, pcapng::kPacketHeaderSize + kStoredDataBytes> packet{};
    const std::size_t size =
        EncodePacket(*e, EntryKindOf(*e, ctx.Selection), time.Basis, marked, packet);
    DecodeTelegramRow(ctx, position, row_);
    const CodePage codePage = DisplayCodePageOf(ctx.DecoderSet);
    comment_.clear();
    AppendEscapedText(comment_, row_.Id, codePage);
    comment_ += '\t';
    AppendEscapedText(comment_, row_.Service, codePage);
    comment_ += '\t';
    AppendEscapedText(comment_, row_.Additional, codePage);
    const std::array<std::string_view, 2> comments = {comment_,
                                                      marked ? kMarkComment : std::string_view()};
    writer_.WritePacket(InterfaceFor(e->Channel), static_cast<std::uint64_t>(time.Nanoseconds),
                        ByteView(packet.data(), size), comments);
}

TMonitorFileResult ExportPcapng(const std::string& path, const TTelegramList& list,
                                const TCaptureSettings& settings, const TExportOptions& options) {
    TMonitorFileResult r;
    r.Version = 1;
    const TExportTimes times(list, settings.TimeStampResolution);
    const int count =
        options.Positions ? static_cast<int>(options.Positions->size()) : list.Count();
    const auto positionAt = [&](int i) {
        return options.Positions ? (*options.Positions)[static_cast<std::size_t>(i)] : i;
    };
    unsigned bases = 0;
    for (int i = 0; i < count; ++i)
        bases |= 1u << static_cast<unsigned>(times.At(positionAt(i)).Basis);

    TPcapngRecordingWriter out;
    if (!out.Open(path, settings, count, bases))
        return WriteFailure(r, kMonitorFileOpenError, out.Error());
    TDecodeContext ctx =
        MakeDecodeContext(list, settings, options.DecoderSet, options.DecimalSeparator);
    ctx.MarkIndex = options.MarkIndex;
    for (int i = 0; i < count; ++i) {
        const int position = positionAt(i);
        out.WriteEntry(ctx, position, times.At(position), position == options.MarkIndex);
    }
    if (!out.Commit())
        return WriteFailure(r, kMonitorFileIoError, out.Error());
    r.EntriesRead = count;
    return r;
}

} // namespace protmon
