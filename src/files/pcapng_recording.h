#pragma once

#include "decode/decode_row.h"
#include "files/export_options.h"
#include "files/export_times.h"
#include "files/monitor_file.h"
#include "files/pcapng_writer.h"

#include <string>
#include <utility>
#include <vector>

namespace protmon {

// A pcapng file that is no recording of ours (another program's capture, another link type);
// nothing was read into the list.
constexpr int kRecordingNotOurs = -4;
inline constexpr const char* kNotOursText = "Not a recording written by Protocol Monitor: ";
inline constexpr const char* kDamagedText = "Damaged recording: ";
// Packet comment of the marked entry.
inline constexpr const char* kMarkComment = "Mark";

// Writes a recording as pcapng entry by entry, so that a recorder can stream into it; the file
// replaces its target only on Commit. Each source (the serial line, each line-monitor channel)
// gets its interface when its first entry is written.
class TPcapngRecordingWriter {
public:
    // Writes the section header: the program, and as its comment the settings (with
    // `entryCount`), the port and the time bases of `timeBases` (bit 1 << TimeBasis).
    bool Open(const std::string& path, const TCaptureSettings& settings, std::int32_t entryCount,
              unsigned timeBases);
    // The same section streamed to an open descriptor (see TPcapngWriter::OpenStream).
    void OpenStream(int fd, const TCaptureSettings& settings, std::int32_t entryCount,
                    unsigned timeBases);
    bool Flush() { return writer_.Flush(); }
    // The entry at `position` of ctx.List with its row texts as comment.
    void WriteEntry(const TDecodeContext& ctx, int position, const TExportTime& time, bool marked);
    bool Commit() { return writer_.Commit(); }
    void Abort() { writer_.Abort(); }

private:
    std::uint32_t InterfaceFor(std::uint16_t channel);

    TPcapngWriter writer_;
    TCaptureSettings settings_;
    std::vector<std::pair<std::uint16_t, std::uint32_t>> interfaces_;
    TRowTexts row_;
    std::string comment_;
};

// The whole list (or options.Positions) as a pcapng file.
TMonitorFileResult ExportPcapng(const std::string& path, const TTelegramList& list,
                                const TCaptureSettings& settings, const TExportOptions& options);

// Reads a pcapng file that we wrote, as ReadMonitorFile reads a monitor file: the list is emptied
// once the file is open, the settings (and the port text) are applied, the entries appended with
// their receive times. `markIndex` gets the marked entry's position or -1.
TMonitorFileResult ReadPcapngRecording(const std::string& path, TTelegramList& list,
                                       TCaptureSettings& settings, int& markIndex);

// The settings of the section comment and the number of packets, as `info` shows a monitor file.
TMonitorFileResult ReadPcapngInfo(const std::string& path, TMonitorFileInfo& info);

} // namespace protmon
