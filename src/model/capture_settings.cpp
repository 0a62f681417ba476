#include "model/capture_settings.h"

namespace protmon {

void SetOperatorBox(TCaptureSettings& s, SourceFlag which, bool on, bool monitorPending) {
    switch (which) {
    case kSourceComm:
        s.Comm = on;
        break;
    case kSourcePdOut:
        s.PdOut = on;
        break;
    case kSourcePdIn:
        s.PdIn = on;
        break;
    default:
        return;
    }
    if (on && !monitorPending) {
        s.Monitor = false;
        s.Selection = Protocol::Trx5;
    }
}

void SetMonitorBox(TCaptureSettings& s, bool on) {
    s.Monitor = on;
    if (on) {
        s.Comm = false;
        s.PdOut = false;
        s.PdIn = false;
    }
}

std::uint32_t OperatorBits(const TCaptureSettings& s) {
    return (s.Comm ? kSourceComm : 0u) | (s.PdOut ? kSourcePdOut : 0u) |
           (s.PdIn ? kSourcePdIn : 0u);
}

} // namespace protmon
