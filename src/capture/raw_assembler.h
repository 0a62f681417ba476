#pragma once

#include "capture/capture_hooks.h"
#include "capture/receive_buffer.h"
#include "model/telegram_list.h"

#include <functional>

namespace protmon {

class TCaptureLink;

// Raw capture: received bytes without framing, 16 to an entry (layout C: count, bytes); with the
// line monitor one entry per frame, with its channel and time stamp. Never triggers.
class TRawAssembler : public ICaptureAssembler {
public:
    static constexpr int kBytesPerEntry = 16;
    static constexpr int kMaxFrameBytes = 49;

    TRawAssembler(TTelegramList& list, TCaptureLink& link);

    // Frames of the line monitor; used while line-monitor mode is on.
    void SetFrameSource(ILineMonitorFrames* frames) {
        frames_ = [frames] { return frames; };
    }
    // The frame source asked for at every Assemble (one shared with the TRX5 assembler).
    void FollowFrameSource(std::function<ILineMonitorFrames*()> source) {
        frames_ = std::move(source);
    }
    void SetLineMonitorMode(std::function<bool()> on) { lineMonitorMode_ = std::move(on); }

    // Wrote stays false: raw entries are not telegrams for the trigger, and the live display
    // redraws the entry being filled on every tick anyway.
    TAssembleResult Assemble() override { return AssembleRaw(); }
    TAssembleResult AssembleRaw();

    // Appends the buffered bytes to the entry being filled, then empties the buffer.
    static void AppendBytes(TReceiveBuffer& buffer, TTelegramList& list);
    // Stores the telegram of the frame at the buffer start as one entry; empties the buffer.
    static TTelEntry* StoreFrame(TReceiveBuffer& buffer, TTelegramList& list);
    // The entry the next raw bytes go to: the newest entry of the list (a fresh one when the
    // list is empty or the newest is already full).
    static TTelEntry* EntryBeingFilled(TTelegramList& list);

private:
    ILineMonitorFrames* LineMonitorFrames() const;

    TTelegramList& list_;
    TCaptureLink& link_;
    std::function<ILineMonitorFrames*()> frames_;
    std::function<bool()> lineMonitorMode_;
};

} // namespace protmon
