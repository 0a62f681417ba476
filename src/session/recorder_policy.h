#pragma once

#include "files/recording_file.h"

#include <ctime>
#include <deque>
#include <string>
#include <vector>

namespace protmon {

// PREFIX-YYYYMMDD-HHMMSS-NNN.bu5 (or .pcapng): the local time the file was begun and a sequence
// number that keeps files begun in the same second apart and in order.
std::string RecordFileName(const std::string& prefix, const std::tm& local, long long sequence,
                           RecordingFormat format);

// The file name of PREFIX's files: the part after the last slash.
std::string RecordBaseName(const std::string& prefix);
// Whether `name` (no folder) is a finished file that a recorder with base name `base` wrote.
bool IsRecordFileOf(const std::string& name, const std::string& base, RecordingFormat format);
// The finished name of a temporary file (NAME.tmp-PID-N) of such a file; empty if it is none.
std::string FinalNameOfTemp(const std::string& name, const std::string& base);
// The same name with the next sequence number (a name never replaces an existing file).
std::string NextSequenceName(const std::string& name);

// When the current file is closed and the next begun (0: no limit of that kind).
struct TRotationPolicy {
    long long FileEntries = 0;
    double FileSeconds = 0;
    bool Due(long long entries, double seconds) const {
        return (FileEntries > 0 && entries >= FileEntries) ||
               (FileSeconds > 0 && entries > 0 && seconds >= FileSeconds);
    }
};

// The finished files still kept, oldest first, with the entries each holds.
class TFileRing {
public:
    struct TFile {
        std::string Path;
        long long Entries = 0;
    };
    // Where one entry ended up; Path empty when its file is no longer kept.
    struct TLocation {
        std::string Path;
        long long Position = -1;
    };

    // keep: the newest files kept (0: all).
    explicit TFileRing(int keep) : keep_(keep) {}
    // A finished file; returns the files now to be deleted.
    std::vector<std::string> Add(std::string path, long long entries);
    // Files of earlier runs, oldest first, before those of this one (their entries unknown).
    void Adopt(const std::vector<std::string>& paths);
    // Before a new file begins: the files to delete so that it fits into the ring.
    std::vector<std::string> MakeRoom();
    // Keeps the newest file and the `before` files before it (negative: all); returns the files
    // now to be deleted.
    std::vector<std::string> KeepBefore(int before);
    // The entry `back` entries before the newest one written (0: the newest).
    TLocation Locate(long long back) const;
    const std::deque<TFile>& Files() const { return files_; }

private:
    std::vector<std::string> TrimTo(std::size_t count);

    int keep_;
    std::deque<TFile> files_;
};

} // namespace protmon
