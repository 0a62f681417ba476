#pragma once

#include "capture/capture_hooks.h"
#include "capture/receive_buffer.h"
#include "model/telegram_list.h"
#include "model/trigger_hook.h"

#include <functional>

namespace protmon {

class TCaptureLink;

// Cuts TRX5 telegrams out of the receive buffer by the length table, checks the BCC, stores good
// telegrams as coded entries and bad data as status entries, resynchronises after garbage and
// runs the trigger check after every stored entry.
class TTrx5Assembler : public ICaptureAssembler {
public:
    // Reads come from the link's device into the link's receive buffer.
    TTrx5Assembler(TTelegramList& list, TCaptureLink& link, ITriggerHook& trigger);

    void SetTrigger(ITriggerHook& trigger) { trigger_ = &trigger; }
    // Frames of the line monitor; used while line-monitor mode is on.
    void SetFrameSource(ILineMonitorFrames* frames) { frames_ = frames; }
    ILineMonitorFrames* FrameSource() const { return frames_; }
    // Line-monitor mode: called at every Assemble (usually reads settings.Monitor).
    void SetLineMonitorMode(std::function<bool()> on) { lineMonitorMode_ = std::move(on); }

    TAssembleResult Assemble() override { return AssembleTrx5(); }
    TAssembleResult AssembleTrx5();

    // One step on the bytes already in `buffer` (no read): stores at most one entry and returns
    // it, or nullptr when the buffer holds no complete unit. Exposed for replay and tests.
    static TTelEntry* AssembleDirectStep(TReceiveBuffer& buffer, TTelegramList& list);
    // The line-monitor variant: stores the telegram of the frame at the buffer start and empties
    // the buffer.
    static TTelEntry* StoreFrameTelegram(TReceiveBuffer& buffer, TTelegramList& list);

private:
    TTelegramList& list_;
    TCaptureLink& link_;
    ITriggerHook* trigger_;
    ILineMonitorFrames* frames_ = nullptr;
    std::function<bool()> lineMonitorMode_;
};

} // namespace protmon
