#pragma once

#include "model/capture_settings.h"
#include "model/list_cursor.h"
#include "model/telegram_list.h"
#include "session/record_file.h"
#include "session/recorder_policy.h"
#include "session/recorder_stream.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace protmon {

struct TRecorderSettings {
    std::string Prefix;
    RecordingFormat Format = RecordingFormat::MonitorFile;
    TRotationPolicy Rotation;
    int Ring = 0; // newest files kept; 0: all
};

// Streams a capture's telegram list into a series of files: after each poll tick the entries
// that arrived are appended to the current file, which is closed and the next begun as the
// rotation policy says. Every entry goes to exactly one file. The file grows under a temporary
// name, handed to the system and its header count updated at least once a second, so that a
// killed recorder leaves what it had; a finished file is synced and never replaces another.
class TRecorder {
public:
    explicit TRecorder(TRecorderSettings settings);

    // Files of earlier runs with the same prefix count into the ring (oldest first).
    void AdoptEarlierFiles(const std::vector<std::string>& paths) { ring_.Adopt(paths); }
    // Begins a new file with these capture settings: it is made (after deleting the oldest file
    // if the ring is full) when its first entry comes.
    bool Begin(const TCaptureSettings& capture);
    // A new capture: the entries the list hands out after `written` (its Written() before the
    // capture started) are new.
    void NewCapture(std::uint64_t written) { cursor_.StartAt(written); }
    // Writes the entries new since the last call; `onEntry` sees each position written. False
    // when a write failed (the file is then finished with the entries that fit) or a file could
    // not be finished or begun.
    bool Drain(const TTelegramList& list, bool holdNewest,
               const std::function<void(int position)>& onEntry);
    // Closes the current file (an empty one is dropped) and gives it its name.
    bool Finish();
    bool NextFile() { return Finish() && Begin(capture_); }
    // Whether a file is begun (made or due).
    bool Recording() const { return due_ || FileOpen(); }

    // Deletes the kept files but the newest and `before` files before it (negative: none).
    void KeepBefore(int before);
    // The entry `back` entries before the newest written.
    TFileRing::TLocation Locate(long long back) const { return ring_.Locate(back); }

    bool FileOpen() const { return stream_ != nullptr; }
    const std::string& CurrentFile() const { return path_; }
    // Files made so far by this recorder (the current one included).
    long long FilesBegun() const { return sequence_; }
    // Entries in the files, finished or not.
    long long Written() const { return finished_ + inFile_; }
    // Entries the list's ring overwrote before they could be written.
    std::uint64_t Lost() const { return cursor_.Lost(); }
    // The file that failed last, and what went wrong ("cannot write PATH: reason").
    const std::string& FailedFile() const { return failed_; }
    const std::string& FailureText() const { return failure_; }

private:
    bool Open();
    bool RotateIfDue();
    bool SyncIfDue();
    bool WriteFailed();
    void Fail(const std::string& what, const std::string& path, int error);
    void Delete(const std::vector<std::string>& paths);

    TRecorderSettings settings_;
    TCaptureSettings capture_;
    TFileRing ring_;
    TListCursor cursor_;
    TRecordFile file_;
    std::unique_ptr<IRecordStream> stream_;
    std::string path_;
    std::string failed_;
    std::string failure_;
    bool due_ = false; // a file is begun but not yet made
    long long sequence_ = 0;
    long long inFile_ = 0;
    long long finished_ = 0;
    std::chrono::steady_clock::time_point opened_;
    std::chrono::steady_clock::time_point synced_;
    std::vector<int> positions_;
};

} // namespace protmon
