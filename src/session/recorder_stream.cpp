#include "session/recorder_stream.h"

#include "decode/decode_row.h"
#include "files/monitor_file.h"
#include "files/pcapng_recording.h"

#include <algorithm>
#include <cstdint>

namespace protmon {

namespace {

class TMonitorFileStream : public IRecordStream {
public:
    void Open(IByteSink& sink, const TCaptureSettings& settings) override {
        out_.Open(sink, settings);
    }
    void Write(const TTelegramList& list, int position) override {
        if (const TTelEntry* e = list.At(position))
            out_.WriteEntry(*e);
    }
    void SetCount(long long entries) override {
        out_.PatchCount(static_cast<std::int32_t>(std::min<long long>(entries, INT32_MAX)));
    }

private:
    TMonitorFileWriter out_;
};

// The count in the section comment is unknown when it is written and stays 0; readers count the
// packets.
class TPcapngStream : public IRecordStream {
public:
    void Open(IByteSink& sink, const TCaptureSettings& settings) override {
        settings_ = settings;
        written_ = 0;
        const unsigned bases = (1u << static_cast<unsigned>(TimeBasis::Receive)) |
                               (1u << static_cast<unsigned>(TimeBasis::Position));
        out_.Open(sink, settings, 0, bases);
    }
    void Write(const TTelegramList& list, int position) override {
        const TTelEntry* e = list.At(position);
        if (e == nullptr)
            return;
        TExportTime time;
        if (e->ReceiveTime != 0)
            time = {e->ReceiveTime, TimeBasis::Receive};
        else
            time = {written_ * 1'000'000, TimeBasis::Position};
        out_.WriteEntry(MakeDecodeContext(list, settings_), position, time, false);
        ++written_;
    }
    void SetCount(long long) override {}

private:
    TPcapngRecordingWriter out_;
    TCaptureSettings settings_;
    std::int64_t written_ = 0;
};

} // namespace

std::unique_ptr<IRecordStream> MakeRecordStream(RecordingFormat format) {
    if (format == RecordingFormat::Pcapng)
        return std::make_unique<TPcapngStream>();
    return std::make_unique<TMonitorFileStream>();
}

} // namespace protmon
