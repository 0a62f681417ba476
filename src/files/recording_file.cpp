#include "files/recording_file.h"

#include "files/file_io.h"
#include "files/pcapng_format.h"
#include "files/pcapng_reader.h"
#include "files/pcapng_recording.h"

namespace protmon {

namespace {

// Classic pcap in microseconds and nanoseconds, either byte order.
constexpr std::uint32_t kPcapMagics[] = {0xA1B2C3D4, 0xD4C3B2A1, 0xA1B23C4D, 0x4D3CB2A1};

TMonitorFileResult DispatchRead(RecordingFormat format, const std::string& path,
                                TTelegramList& list, TCaptureSettings& settings, int& mark) {
    switch (format) {
    case RecordingFormat::Pcapng:
        return ReadPcapngRecording(path, list, settings, mark);
    case RecordingFormat::Pcap: {
        TMonitorFileResult r;
        r.Code = kRecordingNotOurs;
        r.Message = std::string(kNotOursText) + "a pcap file (ours are pcapng)";
        return r;
    }
    case RecordingFormat::MonitorFile:
        break;
    }
    return ReadMonitorFile(path, list, settings);
}

} // namespace

RecordingFormat DetectRecordingFormat(const std::string& path) {
    TBufferedFileReader in;
    std::uint8_t head[4];
    if (!in.Open(path) || in.Read(head, sizeof head) != sizeof head)
        return RecordingFormat::MonitorFile;
    in.Close();
    // As monitor files these would be a refused version or a version 0 file of more than 168
    // million entries (8 GB), which no recording is.
    const std::uint32_t magic = Le32(ByteView(head, sizeof head), 0);
    if (magic == pcapng::kSectionHeaderBlock)
        return RecordingFormat::Pcapng;
    for (const std::uint32_t pcap : kPcapMagics)
        if (magic == pcap)
            return RecordingFormat::Pcap;
    return RecordingFormat::MonitorFile;
}

TMonitorFileResult ReadRecording(const std::string& path, TTelegramList& list,
                                 TCaptureSettings& settings, int* markIndex) {
    int mark = -1;
    TMonitorFileResult r = DispatchRead(DetectRecordingFormat(path), path, list, settings, mark);
    if (markIndex != nullptr)
        *markIndex = mark;
    return r;
}

TMonitorFileResult ReadRecordingInfo(const std::string& path, TMonitorFileInfo& info) {
    const RecordingFormat format = DetectRecordingFormat(path);
    if (format == RecordingFormat::MonitorFile)
        return ReadMonitorFileInfo(path, info);
    if (format == RecordingFormat::Pcapng)
        return ReadPcapngInfo(path, info);
    info = TMonitorFileInfo{};
    TTelegramList unused;
    TCaptureSettings settings;
    int mark = -1;
    return DispatchRead(format, path, unused, settings, mark);
}

bool HasRecordingToLoad(const TMonitorFileResult& check, const TMonitorFileInfo& info) {
    const bool wholeHeader =
        info.Version == 0 || (info.Version == 1 && info.FieldsRead == kHeaderFieldCount);
    return check.Ok() || (check.Code == kMonitorFileIoError && wholeHeader);
}

} // namespace protmon
