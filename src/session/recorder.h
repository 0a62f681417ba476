#pragma once

#include "model/capture_settings.h"
#include "model/telegram_list.h"
#include "session/recorder_cursor.h"
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
    RecordFormat Format = RecordFormat::MonitorFile;
    TRotationPolicy Rotation;
    int Ring = 0; // newest files kept; 0: all
};

// Streams a capture's telegram list into a series of files: after each poll tick the entries
// that arrived are appended to the current file, which is closed and the next begun as the
// rotation policy says. Every entry goes to exactly one file.
class TRecorder {
public:
    explicit TRecorder(TRecorderSettings settings);

    // Begins a new file with these capture settings; false if it cannot be created.
    bool Begin(const TCaptureSettings& capture);
    // A new capture of `list`: every entry in it, and every one written from now on, is new.
    void NewCapture(const TTelegramList& list) { cursor_.Reset(list); }
    // Writes the entries new since the last call; `onEntry` sees each position written. False
    // when a file could not be finished or begun.
    bool Drain(const TTelegramList& list, bool holdNewest,
               const std::function<void(int position)>& onEntry);
    // Closes the current file (an empty one is dropped) and deletes what the ring lets go.
    bool Finish();
    bool NextFile() { return Finish() && Begin(capture_); }

    // Deletes the kept files but the newest and `before` files before it (negative: none).
    void KeepBefore(int before);
    // The entry `back` entries before the newest written.
    TFileRing::TLocation Locate(long long back) const { return ring_.Locate(back); }

    bool FileOpen() const { return stream_ != nullptr; }
    const std::string& CurrentFile() const { return path_; }
    long long Written() const { return written_; }
    // Entries the list's ring overwrote before they could be written.
    std::uint64_t Lost() const { return cursor_.Lost(); }
    // The file that failed last.
    const std::string& FailedFile() const { return failed_; }

private:
    bool RotateIfDue();
    void Delete(const std::vector<std::string>& paths);

    TRecorderSettings settings_;
    TCaptureSettings capture_;
    TFileRing ring_;
    TListCursor cursor_;
    std::unique_ptr<IRecordStream> stream_;
    std::string path_;
    std::string failed_;
    long long sequence_ = 0;
    long long inFile_ = 0;
    long long written_ = 0;
    std::chrono::steady_clock::time_point opened_;
    std::vector<int> positions_;
};

} // namespace protmon
