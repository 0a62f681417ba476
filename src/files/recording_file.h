#pragma once

#include "files/monitor_file.h"

#include <string>

namespace protmon {

// The formats a recording can be read from.
enum class RecordingFormat {
    MonitorFile,
    Pcapng,
    // A classic pcap file of some other program; refused with a message saying so.
    Pcap,
};

// pcapng when the file starts with a section header block, pcap when it starts with one of that
// format's magic numbers, else a monitor file (which has no signature of its own). A file that
// cannot be read counts as a monitor file, whose reader then reports it.
RecordingFormat DetectRecordingFormat(const std::string& path);

// Reads a monitor file or a pcapng file that we wrote, whichever the file is: the one entry point
// for every reader of recordings. Codes and messages as ReadMonitorFile, plus kRecordingNotOurs
// for another program's pcapng. `markIndex` (if given) gets the marked entry of a pcapng file, -1
// otherwise.
TMonitorFileResult ReadRecording(const std::string& path, TTelegramList& list,
                                 TCaptureSettings& settings, int* markIndex = nullptr);

// The header settings and entry count, as `info` shows them, of either format.
TMonitorFileResult ReadRecordingInfo(const std::string& path, TMonitorFileInfo& info);

// Whether a file that ReadRecordingInfo (or ReadMonitorFileInfo) judged gives a recording to
// load: a whole one, or one whose header is whole but whose entries are cut, damaged or followed
// by stray bytes. A file that cannot be opened, a refused version, a file that is no recording
// and a header cut short give none, so nothing should be erased for them.
bool HasRecordingToLoad(const TMonitorFileResult& check, const TMonitorFileInfo& info);

} // namespace protmon
