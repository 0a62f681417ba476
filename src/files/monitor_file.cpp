#include "files/monitor_file.h"

#include "files/file_io.h"

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

void EncodeEntryV1(const TTelEntry& e, std::uint8_t* out) {
    PutLe16(out, e.Channel);
    PutLe16(out + 2, e.TimeStamp);
    std::memcpy(out + 4, e.Data.data(), kStoredDataBytes);
}

TMonitorFileResult Failure(TMonitorFileResult r, int code, std::string message) {
    r.Code = code;
    r.Message = std::move(message);
    return r;
}

} // namespace

TMonitorFileResult WriteFailure(TMonitorFileResult r, int code, int systemError) {
    r.SystemError = systemError;
    return Failure(std::move(r), code, kWriteErrorText);
}

std::string WriteFailureText(const std::string& path, const TMonitorFileResult& r) {
    return "cannot write " + path + ": " +
           (r.SystemError != 0 ? SystemReason(r.SystemError) : r.Message);
}

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
        return WriteFailure(r, kMonitorFileOpenError, out.Error());
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
        return WriteFailure(r, kMonitorFileIoError, out.Error());
    r.EntriesRead = list.Count();
    return r;
}

} // namespace protmon
