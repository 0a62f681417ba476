#pragma once

#include "capture/capture_hooks.h"
#include "capture/din_frame.h"
#include "capture/receive_buffer.h"
#include "model/host.h"
#include "model/telegram_list.h"
#include "model/trigger_hook.h"

#include <functional>

namespace protmon {

class TCaptureLink;

// Finds DIN66019II frames in the received characters (directly from the port or inside
// line-monitor frames), converts each into the TRX5 layout or a status entry, and runs the
// trigger check after every stored entry.
class TDinAssembler : public ICaptureAssembler {
public:
    // The host reports an impossible look-back at the previous entry.
    TDinAssembler(TTelegramList& list, TCaptureLink& link, ITriggerHook& trigger, IHost& host);

    void SetTrigger(ITriggerHook& trigger) { trigger_ = &trigger; }
    // Frames of the line monitor; used while line-monitor mode is on.
    void SetFrameSource(ILineMonitorFrames* frames) {
        frames_ = [frames] { return frames; };
    }
    // The frame source asked for at every Assemble (one shared with the TRX5 assembler).
    void FollowFrameSource(std::function<ILineMonitorFrames*()> source) {
        frames_ = std::move(source);
    }
    // Line-monitor mode: asked at every Assemble (usually reads settings.Monitor).
    void SetLineMonitorMode(std::function<bool()> on) { lineMonitorMode_ = std::move(on); }

    TAssembleResult Assemble() override { return AssembleDin(); }
    TAssembleResult AssembleDin();

    // One step on the characters already in `buffer` (no read): stores at most one entry, or
    // returns nullptr when no complete unit is there. `discarded` tells a garbage entry.
    TTelEntry* AssembleDirectStep(TReceiveBuffer& buffer, bool& discarded);

private:
    struct TStep {
        TTelEntry* Entry = nullptr;
        bool Discarded = false;
    };
    // Characters [base, end) of the buffer hold the unit to parse.
    TStep StoreUnit(ByteView chars, const TDinFind& found);
    TStep FrameStep(ILineMonitorFrames& frames, TReceiveBuffer& buffer);
    // The frame source while line-monitor mode is on, else nullptr.
    ILineMonitorFrames* LineMonitorFrames() const;

    TTelegramList& list_;
    TCaptureLink& link_;
    ITriggerHook* trigger_;
    IHost& host_;
    std::function<ILineMonitorFrames*()> frames_;
    std::function<bool()> lineMonitorMode_;
    // Line monitor: characters of the current frame's telegram still to parse after a Select,
    // at the buffer start, with the frame's channel and time stamp.
    int rest_ = 0;
    std::uint16_t channel_ = kNoChannel;
    std::uint16_t timeStamp_ = 0;
};

} // namespace protmon
