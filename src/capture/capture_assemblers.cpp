#include "capture/capture_assemblers.h"

namespace protmon {

TCaptureAssemblers::TCaptureAssemblers(TCaptureControl& control, IHost& host)
    : control_(control), din_(control.List(), control.Link(), noTrigger_, host),
      raw_(control.List(), control.Link()) {
    auto monitor = [&control] { return control.Settings().Monitor; };
    din_.SetLineMonitorMode(monitor);
    raw_.SetLineMonitorMode(monitor);
    // Whoever gives the TRX5 assembler its frames (the line monitor connecting itself) gives
    // them to all three.
    auto frames = [&control] { return control.Trx5().FrameSource(); };
    din_.FollowFrameSource(frames);
    raw_.FollowFrameSource(frames);
    control.SetAssembler(kRunDin, &din_);
    control.SetAssembler(kRunRaw, &raw_);
}

void TCaptureAssemblers::SetFrameSource(ILineMonitorFrames* frames) {
    control_.Trx5().SetFrameSource(frames);
}

} // namespace protmon
