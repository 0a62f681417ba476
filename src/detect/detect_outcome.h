#pragma once

#include "detect/line_score.h"

#include <functional>
#include <vector>

namespace protmon {

struct TDetectProgress {
    double Fraction = 0; // of the time allowed
    TLineSetting Setting;
};
// Called often while detection runs (also inside the box's reply waits); false cancels.
using DetectProgress = std::function<bool(const TDetectProgress&)>;

struct TDetectOutcome {
    // kPortOk; kPortBusy or kPortOpenFailed (OpenErrno says why) when the port could not be had;
    // kPortNoAnswer when no box answered.
    int Status = 0;
    int OpenErrno = 0;
    bool Cancelled = false;
    DetectPath Path = DetectPath::Direct;
    int LinkBaudIndex = -1; // behind a box: the baud box item its host link runs at
    std::vector<TCandidateResult> Ranked;
    TDetectVerdict Verdict;
    double Seconds = 0;
};

} // namespace protmon
