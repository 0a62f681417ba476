#pragma once

#include "capture/capture_control.h"
#include "capture/din_assembler.h"
#include "capture/raw_assembler.h"

namespace protmon {

// The DIN66019II and raw assemblers of a capture, registered with its capture control for
// running modes 2 and 3. Line-monitor mode follows the settings' "Monitor" box, as for TRX5.
// Owners (window, command-line tool) create one next to their TCaptureControl.
class TCaptureAssemblers {
public:
    TCaptureAssemblers(TCaptureControl& control, IHost& host);
    TCaptureAssemblers(const TCaptureAssemblers&) = delete;
    TCaptureAssemblers& operator=(const TCaptureAssemblers&) = delete;

    // The trigger checked after every DIN66019II entry (set it on the control too).
    void SetTrigger(ITriggerHook& trigger) { din_.SetTrigger(trigger); }
    // The line monitor's frame reader, for all three assemblers (the DIN66019II and raw ones
    // follow the TRX5 assembler's, so a line monitor that connects itself there serves all).
    void SetFrameSource(ILineMonitorFrames* frames);

    TDinAssembler& Din() { return din_; }
    TRawAssembler& Raw() { return raw_; }

private:
    TCaptureControl& control_;
    TNoTrigger noTrigger_;
    TDinAssembler din_;
    TRawAssembler raw_;
};

} // namespace protmon
