#pragma once

#include "capture/capture_assemblers.h"
#include "capture/operator_monitor.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace protmon::cli {

// Everything a capture from a live line needs besides capture control itself: the DIN66019II and
// raw assemblers (running modes 2 and 3; line-monitor frames from `frames`, or from wherever the
// TRX5 assembler gets them when it is nullptr) and the fieldbus
// operator's monitor command. A `capture` command creates one next to its TCaptureControl and
// then switches the operator boxes with ApplyOperatorBits.
class TCliCaptureSources {
public:
    TCliCaptureSources(TCaptureControl& control, IHost& host, ILineMonitorFrames* frames,
                       ITriggerHook* trigger);

    // Switches the operator boxes on by their rules (TRX5, no line monitor).
    void ApplyOperatorBits(std::uint32_t bits);
    TCaptureAssemblers& Assemblers() { return assemblers_; }
    TOperatorMonitor& Operator() { return operator_; }

private:
    TCaptureControl& control_;
    TCaptureAssemblers assemblers_;
    TOperatorMonitor operator_;
};

// The value of --operator: any of "comm", "pd-out", "pd-in", separated by commas, as
// kSourceComm | kSourcePdOut | kSourcePdIn. False with the reason in `error`.
bool ParseOperatorList(std::string_view text, std::uint32_t& bits, std::string& error);

} // namespace protmon::cli
