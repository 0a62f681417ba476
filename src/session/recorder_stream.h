#pragma once

#include "model/capture_settings.h"
#include "model/telegram_list.h"
#include "session/recorder_policy.h"

#include <memory>
#include <string>

namespace protmon {

// One recording file written entry by entry; it appears under its name only once committed.
class IRecordStream {
public:
    virtual ~IRecordStream() = default;
    virtual bool Open(const std::string& path, const TCaptureSettings& settings) = 0;
    virtual void Write(const TTelegramList& list, int position) = 0;
    // False if any write, the close or the rename failed; the file is then gone.
    virtual bool Commit() = 0;
    virtual void Abort() = 0;
};

std::unique_ptr<IRecordStream> MakeRecordStream(RecordFormat format);

} // namespace protmon
