#include "session/recorder.h"

#include <cstdio>
#include <ctime>

namespace protmon {

TRecorder::TRecorder(TRecorderSettings settings)
    : settings_(std::move(settings)), ring_(settings_.Ring) {}

bool TRecorder::Begin(const TCaptureSettings& capture) {
    capture_ = capture;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    path_ = RecordFileName(settings_.Prefix, local, sequence_++, settings_.Format);
    stream_ = MakeRecordStream(settings_.Format);
    inFile_ = 0;
    opened_ = std::chrono::steady_clock::now();
    if (stream_->Open(path_, capture_))
        return true;
    stream_.reset();
    failed_ = path_;
    return false;
}

bool TRecorder::RotateIfDue() {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - opened_).count();
    return !settings_.Rotation.Due(inFile_, seconds) || NextFile();
}

bool TRecorder::Drain(const TTelegramList& list, bool holdNewest,
                      const std::function<void(int position)>& onEntry) {
    cursor_.TakeNew(list, holdNewest, positions_);
    if (!FileOpen() || !RotateIfDue())
        return false;
    for (const int position : positions_) {
        stream_->Write(list, position);
        ++inFile_;
        ++written_;
        if (onEntry)
            onEntry(position);
        if (!RotateIfDue())
            return false;
    }
    return true;
}

bool TRecorder::Finish() {
    if (!FileOpen())
        return true;
    std::unique_ptr<IRecordStream> stream = std::move(stream_);
    if (inFile_ == 0) {
        stream->Abort();
        return true;
    }
    if (!stream->Commit()) {
        failed_ = path_;
        return false;
    }
    Delete(ring_.Add(path_, inFile_));
    return true;
}

void TRecorder::KeepBefore(int before) {
    Delete(ring_.KeepBefore(before));
}

void TRecorder::Delete(const std::vector<std::string>& paths) {
    for (const std::string& p : paths)
        std::remove(p.c_str());
}

} // namespace protmon
