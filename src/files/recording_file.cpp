#include "files/recording_file.h"

#include "files/file_io.h"
#include "files/pcapng_format.h"
#include "files/pcapng_reader.h"
#include "files/pcapng_recording.h"

namespace protmon {

RecordingFormat DetectRecordingFormat(const std::string& path) {
    TBufferedFileReader in;
    std::uint8_t head[4];
    if (!in.Open(path) || in.Read(head, sizeof head) != sizeof head)
        return RecordingFormat::MonitorFile;
    in.Close();
    // As a monitor file these bytes would be a version 0 file of 168 627 466 entries (8.4 GB),
    // which no recording is.
    return Le32(ByteView(head, sizeof head), 0) == pcapng::kSectionHeaderBlock
               ? RecordingFormat::Pcapng
               : RecordingFormat::MonitorFile;
}

TMonitorFileResult ReadRecording(const std::string& path, TTelegramList& list,
                                 TCaptureSettings& settings, int* markIndex) {
    int mark = -1;
    TMonitorFileResult r = DetectRecordingFormat(path) == RecordingFormat::Pcapng
                               ? ReadPcapngRecording(path, list, settings, mark)
                               : ReadMonitorFile(path, list, settings);
    if (markIndex != nullptr)
        *markIndex = mark;
    return r;
}

TMonitorFileResult ReadRecordingInfo(const std::string& path, TMonitorFileInfo& info) {
    return DetectRecordingFormat(path) == RecordingFormat::Pcapng ? ReadPcapngInfo(path, info)
                                                                  : ReadMonitorFileInfo(path, info);
}

} // namespace protmon
