#include "session/recorder.h"

#include "session/recorder_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace protmon {

namespace {

// How far the file on disk may lag behind what was recorded.
constexpr std::chrono::milliseconds kSyncInterval{500};

} // namespace

TRecorder::TRecorder(TRecorderSettings settings)
    : settings_(std::move(settings)), ring_(settings_.Ring) {}

bool TRecorder::Begin(const TCaptureSettings& capture) {
    capture_ = capture;
    due_ = true;
    return true;
}

// The file is made when its first entry is there: a ring deletes its oldest file only for one
// that will hold something (a recorder restarted again and again without data deletes nothing).
bool TRecorder::Open() {
    due_ = false;
    // The oldest file goes first, so that a disk with room for the ring has room for the next.
    Delete(ring_.MakeRoom());
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    path_ = FreeRecordName(RecordFileName(settings_.Prefix, local, sequence_++, settings_.Format));
    inFile_ = 0;
    opened_ = synced_ = std::chrono::steady_clock::now();
    if (!file_.Create(path_)) {
        Fail("cannot create ", path_, file_.Error());
        return false;
    }
    stream_ = MakeRecordStream(settings_.Format);
    stream_->Open(file_, capture_);
    file_.EndUnit();
    return true;
}

bool TRecorder::RotateIfDue() {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - opened_).count();
    return !settings_.Rotation.Due(inFile_, seconds) || NextFile();
}

bool TRecorder::SyncIfDue() {
    if (!FileOpen())
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - synced_ < kSyncInterval)
        return true;
    synced_ = now;
    if (!file_.Flush())
        return WriteFailed();
    stream_->SetCount(inFile_);
    return !file_.Failed() || WriteFailed();
}

bool TRecorder::Drain(const TTelegramList& list, bool holdNewest,
                      const std::function<void(int position)>& onEntry) {
    cursor_.TakeNew(list, holdNewest, positions_);
    if (!Recording() || (FileOpen() && !RotateIfDue()))
        return false;
    for (const int position : positions_) {
        if (!FileOpen() && !Open())
            return false;
        stream_->Write(list, position);
        file_.EndUnit();
        if (file_.Failed())
            return WriteFailed();
        ++inFile_;
        if (onEntry)
            onEntry(position);
        if (!RotateIfDue())
            return false;
    }
    return SyncIfDue();
}

// The disk refused a write: the file keeps the entries that fit, and recording stops.
bool TRecorder::WriteFailed() {
    const int error = file_.Error();
    const long long kept = std::max(0LL, file_.Units() - 1);
    inFile_ = kept;
    failure_.clear();
    Finish();
    const std::string finishing = failure_;
    Fail("cannot write ", path_, error);
    failure_ += kept > 0 ? "; it keeps the " + std::to_string(kept) + " entries that fit"
                         : "; it held no entry and is gone";
    if (!finishing.empty())
        failure_ += "; " + finishing;
    return false;
}

bool TRecorder::Finish() {
    due_ = false;
    if (!FileOpen())
        return true;
    std::unique_ptr<IRecordStream> stream = std::move(stream_);
    if (inFile_ == 0) {
        file_.Abort();
        return true;
    }
    stream->SetCount(inFile_);
    const bool failedBefore = file_.Failed();
    if (!file_.Close() && !failedBefore) {
        Fail("cannot write ", path_, file_.Error());
        return false;
    }
    int rc = EEXIST;
    for (int attempt = 0; attempt < 1000 && rc == EEXIST; ++attempt) {
        rc = file_.Publish(path_);
        if (rc == EEXIST)
            path_ = FreeRecordName(NextSequenceName(path_));
    }
    if (rc != 0) {
        // The entries stay in the temporary file, which the next run finishes.
        file_.Keep();
        Fail("cannot name ", path_, rc);
        return false;
    }
    finished_ += inFile_;
    const long long entries = inFile_;
    inFile_ = 0;
    Delete(ring_.Add(path_, entries));
    return !failedBefore;
}

void TRecorder::Fail(const std::string& what, const std::string& path, int error) {
    failed_ = path;
    failure_ = what + path + ": " + std::strerror(error);
}

void TRecorder::KeepBefore(int before) {
    Delete(ring_.KeepBefore(before));
}

void TRecorder::Delete(const std::vector<std::string>& paths) {
    for (const std::string& p : paths)
        std::remove(p.c_str());
}

} // namespace protmon
