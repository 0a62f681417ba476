#pragma once

#include "capture/capture_control.h"

namespace protmon::cli {

inline constexpr const char* kTextLineMonitorOverrun =
    "Line monitor stopped because of receive buffer overrun !";

// Line-monitor data frames out of a recording replayed through the memory device: resynchronises
// on the marker, completes a frame over several reads and stops the capture on an overrun report.
class TReplayFrameReader : public ILineMonitorFrames {
public:
    TReplayFrameReader(TCaptureControl& control, IHost& host) : control_(control), host_(host) {}
    bool LineMonitorReceiveFrame() override;

private:
    bool FillTo(int count);

    TCaptureControl& control_;
    IHost& host_;
};

} // namespace protmon::cli
