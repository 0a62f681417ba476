#pragma once

#include "files/byte_sink.h"
#include "files/file_io.h"
#include "files/monitor_header.h"
#include "model/capture_settings.h"
#include "model/telegram_list.h"

#include <cstdint>
#include <string>

namespace protmon {

// Result codes of the monitor file operations. The window shows Message in an error box when the
// code is not kMonitorFileOk; nothing here talks to the user.
enum MonitorFileCode : int {
    kMonitorFileOk = 0,
    // The file could not be opened (reading) or created (saving); nothing was changed.
    kMonitorFileOpenError = -1,
    // A read or write failed part-way. Reading keeps what was read; saving leaves the previous
    // file as it was.
    kMonitorFileIoError = -2,
    // The format marker names a version this program does not read; the list stays empty.
    kMonitorFileUnsupportedVersion = -3,
    // No recording of this program: another program's file, or a header whose entry count the
    // file cannot hold; the list and the settings are left as they were.
    kRecordingNotOurs = -4,
};

inline constexpr const char* kWriteErrorText = "Error writing to file";
inline constexpr const char* kReadErrorText = "Error reading from file";
inline constexpr const char* kUnsupportedVersionText = "Unsupported file version: ";
inline constexpr const char* kNotOursText = "Not a recording written by Protocol Monitor: ";

struct TMonitorFileResult {
    int Code = kMonitorFileOk;
    std::string Message; // text of the error box; empty on success
    int Version = -1;    // 0 or 1 once the format marker was read
    int EntriesRead = 0;
    // Why, beneath the box's fixed text: a refused file's reason, or the counts of a file that
    // was read but is not whole ("loaded 3 of 10 entries"). Empty when Message says it all.
    std::string Detail;
    int SystemError = 0; // errno behind the failure when the system gave one
    bool Ok() const { return Code == kMonitorFileOk; }
    // Message and Detail on one line, as the command-line tool reports them.
    std::string Text() const { return Detail.empty() ? Message : Message + ": " + Detail; }
};

// A failed write: code, the window's "Error writing to file" and the system's reason.
TMonitorFileResult WriteFailure(TMonitorFileResult r, int code, int systemError);
// What a command line says about a failed write: "cannot write PATH: REASON".
std::string WriteFailureText(const std::string& path, const TMonitorFileResult& r);

constexpr std::size_t kEntrySizeV1 = 54;
constexpr std::size_t kEntrySizeV0 = 50;
// Data bytes that a file stores; Data[50] and Data[51] are never persisted.
constexpr std::size_t kStoredDataBytes = 50;

// Writes a version 1 file entry by entry, so that a recorder can stream into it: the header's
// entry count is filled in on Commit, and the file replaces its target only then.
class TMonitorFileWriter {
public:
    bool Open(const std::string& path, const TCaptureSettings& settings);
    // Writes into a file the caller owns; Commit then only fills in the count.
    void Open(IByteSink& sink, const TCaptureSettings& settings);
    void WriteEntry(const TTelEntry& entry);
    // Sets the header's entry count to `count` now (the entries the file holds so far).
    void PatchCount(std::int32_t count);
    bool Commit();
    void Abort() { out_.Abort(); }
    int Error() const { return out_.Error(); }
    std::int32_t Entries() const { return entries_; }

private:
    void WriteHeader(const TCaptureSettings& settings);
    void Put(const void* data, std::size_t n);

    TSafeFileWriter out_;
    IByteSink* sink_ = nullptr;
    std::int32_t entries_ = 0;
};

// Writes the settings and every entry of the list (position order) as a version 1 file. The
// target is replaced only when the whole file was written and closed.
TMonitorFileResult SaveMonitorFile(const std::string& path, const TTelegramList& list,
                                   const TCaptureSettings& settings);

// Empties the list, then reads a version 1 or version 0 file into it: the header settings are
// applied in file order as they are read, the entries appended in file order, and Capacity and
// WriteIndex set as after loading. If the file cannot be opened, or its header claims an entry
// count that the file cannot hold (kRecordingNotOurs), the list and settings are left as they
// were. A file cut inside its entries keeps what it holds; bytes after the last entry are read
// past. Both count as a read error whose Detail gives the numbers.
TMonitorFileResult ReadMonitorFile(const std::string& path, TTelegramList& list,
                                   TCaptureSettings& settings);

// "loaded 3 of 10 entries": the detail of a recording that holds fewer entries than it claims.
std::string LoadedCountText(std::int64_t loaded, std::int64_t claimed);

// What `protmon-cli info` shows: the header as far as the file holds it. Codes and Detail as
// ReadMonitorFile would give them; a refused file shows no header (Version stays -1).
struct TMonitorFileInfo {
    int Version = -1;       // -1 until the marker was read
    int FieldsRead = 0;     // header integers present (version 1: up to 15)
    THeaderValues Header{}; // version 0: only kEntryCount is meaningful
    std::uint64_t FileSize = 0;
    std::uint64_t EntriesPresent = 0; // complete entries the file holds after its header
};

TMonitorFileResult ReadMonitorFileInfo(const std::string& path, TMonitorFileInfo& info);

} // namespace protmon
