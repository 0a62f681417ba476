#pragma once

#include "files/byte_sink.h"
#include "model/capture_settings.h"
#include "model/telegram_list.h"
#include "session/recorder_policy.h"

#include <memory>
#include <string>

namespace protmon {

// One recording file's format, written entry by entry into a file the recorder owns.
class IRecordStream {
public:
    virtual ~IRecordStream() = default;
    // Writes the file's head.
    virtual void Open(IByteSink& sink, const TCaptureSettings& settings) = 0;
    virtual void Write(const TTelegramList& list, int position) = 0;
    // The header's entry count, where the format has one: the entries the file holds now.
    virtual void SetCount(long long entries) = 0;
};

std::unique_ptr<IRecordStream> MakeRecordStream(RecordingFormat format);

} // namespace protmon
