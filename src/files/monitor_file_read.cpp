// Reading monitor files. The header is judged against the file's size before anything changes, so
// that a file which is no recording never replaces one, and a file that is not whole is read but
// never passes as whole.
#include "files/file_io.h"
#include "files/monitor_file.h"

#include <algorithm>
#include <cstring>

namespace protmon {

namespace {

// A file cut inside its entries still holds at least half of what its header claims, or lacks
// at most this much (more than a million entries). A text or random first integer claims
// gigabytes, far beyond both.
constexpr std::uint64_t kCutAllowance = std::uint64_t{64} << 20;

std::uint16_t GetLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::int32_t GetLe32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | p[i];
    return static_cast<std::int32_t>(v);
}

bool ReadLe32(TBufferedFileReader& in, std::int32_t& value) {
    std::uint8_t b[4];
    if (in.Read(b, sizeof b) != sizeof b)
        return false;
    value = GetLe32(b);
    return true;
}

// The format marker and, for version 1, the fourteen integers after it, as far as the file holds
// them. Version 0 keeps its count (the marker itself) in the kEntryCount slot too.
struct THeaderRead {
    THeaderValues Values{};
    int Fields = 0;   // integers read
    int Version = -1; // 0 or 1 once an accepted marker was read
    bool Complete() const { return Version == 0 || (Version == 1 && Fields == kHeaderFieldCount); }
    std::int64_t Count() const { return Values[kEntryCount]; }
    std::size_t EntrySize() const { return Version == 1 ? kEntrySizeV1 : kEntrySizeV0; }
};

void ReadHeader(TBufferedFileReader& in, THeaderRead& h) {
    if (!ReadLe32(in, h.Values[kFormatMarker]))
        return;
    h.Fields = 1;
    const std::int32_t marker = h.Values[kFormatMarker];
    if (marker < kFormatMarkerV1)
        return;
    h.Version = marker == kFormatMarkerV1 ? 1 : 0;
    if (h.Version == 0) {
        h.Values[kEntryCount] = marker;
        return;
    }
    while (h.Fields < kHeaderFieldCount &&
           ReadLe32(in, h.Values[static_cast<std::size_t>(h.Fields)]))
        ++h.Fields;
}

// Empty when `claimed` entries of `size` bytes can be what the `available` bytes after the header
// hold, whole or cut; otherwise why the file is no recording.
std::string ImpossibleCount(std::int64_t claimed, std::size_t size, std::uint64_t available) {
    const std::string claim =
        "not a recording: the header claims " + std::to_string(claimed) + " entries";
    if (claimed < 0)
        return claim;
    const std::uint64_t needed = static_cast<std::uint64_t>(claimed) * size;
    if (needed <= available || needed - available <= std::max(available, kCutAllowance))
        return {};
    return claim + " of " + std::to_string(size) + " bytes, the file holds " +
           std::to_string(available) + " bytes after its header";
}

TMonitorFileResult Failure(TMonitorFileResult r, int code, std::string message,
                           std::string detail = {}) {
    r.Code = code;
    r.Message = std::move(message);
    r.Detail = std::move(detail);
    return r;
}

std::string HeaderCutText(std::uint64_t fileSize) {
    return "the file ends inside its header, after " + std::to_string(fileSize) + " bytes";
}

std::string UnsupportedText(std::int32_t marker) {
    return kUnsupportedVersionText + std::to_string(-static_cast<std::int64_t>(marker));
}

// A file read to its end: fewer entries than claimed (cut), or bytes left after the last one,
// is reported with its numbers; the entries stay.
TMonitorFileResult JudgeSize(TMonitorFileResult r, std::int64_t claimed, std::int64_t loaded,
                             std::uint64_t trailing) {
    if (loaded < claimed)
        return Failure(r, kMonitorFileIoError, kReadErrorText, LoadedCountText(loaded, claimed));
    if (trailing > 0)
        return Failure(r, kMonitorFileIoError, kReadErrorText,
                       std::to_string(trailing) + " bytes after the last entry");
    return r;
}

// Fills an entry from the `got` bytes of a record that were read; a short record leaves the
// fields it did not reach as a fresh entry has them.
void DecodeEntry(const std::uint8_t* rec, std::size_t got, int version, TTelEntry& e) {
    std::size_t dataOffset = 0;
    if (version == 1) {
        if (got >= 2)
            e.Channel = GetLe16(rec);
        if (got >= 4)
            e.TimeStamp = GetLe16(rec + 2);
        dataOffset = 4;
    }
    if (got > dataOffset)
        std::memcpy(e.Data.data(), rec + dataOffset, std::min(got - dataOffset, kStoredDataBytes));
}

// Appends the entries the file holds, never more than its size allows whatever the header
// claims. False if fewer than `claimed` entries could be read whole.
bool ReadEntries(TBufferedFileReader& in, TTelegramList& list, int version, std::int64_t claimed) {
    const std::size_t size = version == 1 ? kEntrySizeV1 : kEntrySizeV0;
    const auto wanted = static_cast<std::uint64_t>(std::max<std::int64_t>(claimed, 0));
    const std::uint64_t whole = std::min<std::uint64_t>(wanted, in.Remaining() / size);
    std::uint8_t rec[kEntrySizeV1];
    for (std::uint64_t i = 0; i < whole; ++i) {
        const std::size_t got = in.Read(rec, size);
        DecodeEntry(rec, got, version, *list.AppendEntry());
        if (got != size)
            return false;
    }
    if (whole == wanted)
        return true;
    // The entry cut off by the end of the file keeps what is there.
    const std::size_t got = in.Read(rec, size);
    if (got > 0)
        DecodeEntry(rec, got, version, *list.AppendEntry());
    return false;
}

} // namespace

std::string LoadedCountText(std::int64_t loaded, std::int64_t claimed) {
    return "loaded " + std::to_string(loaded) + " of " + std::to_string(claimed) + " entries";
}

TMonitorFileResult ReadMonitorFile(const std::string& path, TTelegramList& list,
                                   TCaptureSettings& settings) {
    TMonitorFileResult r;
    TBufferedFileReader in;
    if (!in.Open(path))
        return Failure(r, kMonitorFileOpenError, kReadErrorText);
    const std::uint64_t fileSize = in.Size();
    THeaderRead h;
    ReadHeader(in, h);
    if (h.Complete()) {
        std::string why = ImpossibleCount(h.Count(), h.EntrySize(), in.Remaining());
        if (!why.empty()) {
            in.Close();
            return Failure(r, kRecordingNotOurs, kReadErrorText, std::move(why));
        }
    }
    list.Clear();
    if (h.Fields == 0) {
        in.Close();
        return Failure(r, kMonitorFileIoError, kReadErrorText, HeaderCutText(fileSize));
    }
    if (h.Version < 0) {
        in.Close();
        return Failure(r, kMonitorFileUnsupportedVersion, UnsupportedText(h.Values[0]));
    }
    r.Version = h.Version;
    // Each value takes effect in file order; a header cut short leaves the rest of the settings
    // as they were and yields no entries.
    for (int f = kTimeStampResolution; f < h.Fields; ++f)
        ApplyHeaderField(settings, static_cast<HeaderField>(f),
                         h.Values[static_cast<std::size_t>(f)]);
    if (!h.Complete()) {
        in.Close();
        list.FinishLoading();
        return Failure(r, kMonitorFileIoError, kReadErrorText, HeaderCutText(fileSize));
    }
    const bool whole = ReadEntries(in, list, r.Version, h.Count());
    const std::uint64_t trailing = in.Remaining();
    const bool closed = in.Close();
    list.FinishLoading();
    r.EntriesRead = list.Count();
    // A read error before the end counts as a cut: the entries so far stay.
    if (!whole)
        return Failure(r, kMonitorFileIoError, kReadErrorText,
                       LoadedCountText(list.Count(), h.Count()));
    if (!closed)
        return Failure(r, kMonitorFileIoError, kReadErrorText);
    return JudgeSize(r, h.Count(), list.Count(), trailing);
}

TMonitorFileResult ReadMonitorFileInfo(const std::string& path, TMonitorFileInfo& info) {
    info = TMonitorFileInfo{};
    TMonitorFileResult r;
    TBufferedFileReader in;
    if (!in.Open(path))
        return Failure(r, kMonitorFileOpenError, kReadErrorText);
    info.FileSize = in.Size();
    THeaderRead h;
    ReadHeader(in, h);
    const std::uint64_t available = in.Remaining();
    in.Close();
    if (h.Fields == 0)
        return Failure(r, kMonitorFileIoError, kReadErrorText, HeaderCutText(info.FileSize));
    if (h.Version < 0)
        return Failure(r, kMonitorFileUnsupportedVersion, UnsupportedText(h.Values[0]));
    if (h.Complete()) {
        std::string why = ImpossibleCount(h.Count(), h.EntrySize(), available);
        if (!why.empty())
            return Failure(r, kRecordingNotOurs, kReadErrorText, std::move(why));
    }
    info.Version = r.Version = h.Version;
    info.Header = h.Values;
    info.FieldsRead = h.Fields;
    if (!h.Complete())
        return Failure(r, kMonitorFileIoError, kReadErrorText, HeaderCutText(info.FileSize));
    const std::size_t size = h.EntrySize();
    info.EntriesPresent = available / size;
    const auto needed = static_cast<std::uint64_t>(h.Count()) * size;
    // As ReadMonitorFile counts them: an entry cut off by the end of the file is loaded too.
    const std::uint64_t held = std::min(available, needed);
    const auto loaded = static_cast<std::int64_t>(held / size + (held % size != 0 ? 1 : 0));
    return JudgeSize(r, h.Count(), loaded, available > needed ? available - needed : 0);
}

} // namespace protmon
