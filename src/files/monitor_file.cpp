#include "files/monitor_file.h"

#include "files/file_io.h"

#include <algorithm>
#include <cstring>

namespace protmon {

namespace {

void PutLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::uint8_t* p, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

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

void EncodeEntryV1(const TTelEntry& e, std::uint8_t* out) {
    PutLe16(out, e.Channel);
    PutLe16(out + 2, e.TimeStamp);
    std::memcpy(out + 4, e.Data.data(), kStoredDataBytes);
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

TMonitorFileResult Failure(TMonitorFileResult r, int code, std::string message) {
    r.Code = code;
    r.Message = std::move(message);
    return r;
}

} // namespace

bool TMonitorFileWriter::Open(const std::string& path, const TCaptureSettings& settings) {
    entries_ = 0;
    sink_ = nullptr;
    if (!out_.Open(path))
        return false;
    WriteHeader(settings);
    return true;
}

void TMonitorFileWriter::Open(IByteSink& sink, const TCaptureSettings& settings) {
    entries_ = 0;
    sink_ = &sink;
    WriteHeader(settings);
}

void TMonitorFileWriter::WriteHeader(const TCaptureSettings& settings) {
    const THeaderValues header = MakeMonitorHeader(settings, 0);
    std::uint8_t head[kHeaderSizeV1];
    for (int i = 0; i < kHeaderFieldCount; ++i)
        PutLe32(head + 4 * i, header[static_cast<std::size_t>(i)]);
    Put(head, sizeof head);
}

void TMonitorFileWriter::Put(const void* data, std::size_t n) {
    if (sink_ != nullptr)
        sink_->Write(data, n);
    else
        out_.Write(data, n);
}

void TMonitorFileWriter::WriteEntry(const TTelEntry& entry) {
    std::uint8_t rec[kEntrySizeV1];
    EncodeEntryV1(entry, rec);
    Put(rec, sizeof rec);
    ++entries_;
}

void TMonitorFileWriter::PatchCount(std::int32_t count) {
    std::uint8_t bytes[4];
    PutLe32(bytes, count);
    if (sink_ != nullptr)
        sink_->WriteAt(4 * kEntryCount, bytes, sizeof bytes);
    else
        out_.WriteAt(4 * kEntryCount, bytes, sizeof bytes);
}

bool TMonitorFileWriter::Commit() {
    PatchCount(entries_);
    return sink_ != nullptr || out_.Commit();
}

TMonitorFileResult SaveMonitorFile(const std::string& path, const TTelegramList& list,
                                   const TCaptureSettings& settings) {
    TMonitorFileResult r;
    r.Version = 1;
    TSafeFileWriter out;
    if (!out.Open(path))
        return Failure(r, kMonitorFileOpenError, kWriteErrorText);
    const THeaderValues header = MakeMonitorHeader(settings, list.Count());
    std::uint8_t head[kHeaderSizeV1];
    for (int i = 0; i < kHeaderFieldCount; ++i)
        PutLe32(head + 4 * i, header[static_cast<std::size_t>(i)]);
    out.Write(head, sizeof head);
    std::uint8_t rec[kEntrySizeV1];
    for (int i = 0; i < list.Count(); ++i) {
        EncodeEntryV1(*list.At(i), rec);
        out.Write(rec, sizeof rec);
    }
    if (!out.Commit())
        return Failure(r, kMonitorFileIoError, kWriteErrorText);
    r.EntriesRead = list.Count();
    return r;
}

TMonitorFileResult ReadMonitorFile(const std::string& path, TTelegramList& list,
                                   TCaptureSettings& settings) {
    TMonitorFileResult r;
    TBufferedFileReader in;
    if (!in.Open(path))
        return Failure(r, kMonitorFileOpenError, kReadErrorText);
    list.Clear();

    std::int32_t marker = 0;
    if (!ReadLe32(in, marker)) {
        in.Close();
        return Failure(r, kMonitorFileIoError, kReadErrorText);
    }
    if (marker < kFormatMarkerV1) {
        in.Close();
        const std::int64_t version = -static_cast<std::int64_t>(marker);
        return Failure(r, kMonitorFileUnsupportedVersion,
                       kUnsupportedVersionText + std::to_string(version));
    }

    std::int64_t count = marker;
    r.Version = marker == kFormatMarkerV1 ? 1 : 0;
    if (r.Version == 1) {
        // Each value takes effect as soon as it is read; a header cut short leaves the rest of
        // the settings as they were and yields no entries.
        for (int f = kTimeStampResolution; f < kHeaderFieldCount; ++f) {
            std::int32_t value = 0;
            if (!ReadLe32(in, value)) {
                in.Close();
                list.FinishLoading();
                return Failure(r, kMonitorFileIoError, kReadErrorText);
            }
            ApplyHeaderField(settings, static_cast<HeaderField>(f), value);
            count = value;
        }
    }

    const bool complete = ReadEntries(in, list, r.Version, count);
    const bool closed = in.Close();
    list.FinishLoading();
    r.EntriesRead = list.Count();
    if (!complete || !closed)
        return Failure(r, kMonitorFileIoError, kReadErrorText);
    return r;
}

TMonitorFileResult ReadMonitorFileInfo(const std::string& path, TMonitorFileInfo& info) {
    info = TMonitorFileInfo{};
    TMonitorFileResult r;
    TBufferedFileReader in;
    if (!in.Open(path))
        return Failure(r, kMonitorFileOpenError, kReadErrorText);
    info.FileSize = in.Size();
    std::int32_t marker = 0;
    if (!ReadLe32(in, marker)) {
        in.Close();
        return Failure(r, kMonitorFileIoError, kReadErrorText);
    }
    info.Header[kFormatMarker] = marker;
    info.FieldsRead = 1;
    if (marker < kFormatMarkerV1) {
        in.Close();
        return Failure(r, kMonitorFileUnsupportedVersion,
                       kUnsupportedVersionText +
                           std::to_string(-static_cast<std::int64_t>(marker)));
    }
    info.Version = r.Version = marker == kFormatMarkerV1 ? 1 : 0;
    if (info.Version == 0) {
        info.Header[kEntryCount] = marker;
        info.EntriesPresent = in.Remaining() / kEntrySizeV0;
        in.Close();
        return r;
    }
    for (int f = kTimeStampResolution; f < kHeaderFieldCount; ++f) {
        if (!ReadLe32(in, info.Header[static_cast<std::size_t>(f)])) {
            in.Close();
            return Failure(r, kMonitorFileIoError, kReadErrorText);
        }
        ++info.FieldsRead;
    }
    info.EntriesPresent = in.Remaining() / kEntrySizeV1;
    in.Close();
    return r;
}

} // namespace protmon
