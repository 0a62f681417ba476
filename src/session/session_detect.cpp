#include "detect/line_detector.h"
#include "session/session.h"
#include "session/session_capture_parts.h"

namespace protmon {

namespace {

Protocol SelectionOf(DetectProtocol p) {
    switch (p) {
    case DetectProtocol::Trx5:
        return Protocol::Trx5;
    case DetectProtocol::Din:
        return Protocol::Din66019II;
    case DetectProtocol::Raw:
        break;
    }
    return Protocol::Raw;
}

} // namespace

TDetectOutcome TMonitorSession::DetectLine(double seconds, const DetectProgress& progress) {
    if (Capturing()) {
        TDetectOutcome busy;
        busy.Status = kPortBusy;
        return busy;
    }
    TDetectRequest request;
    request.Port = settings_.PortText;
    request.Udp = capture_->Udp;
    request.Monitor = settings_.Monitor;
    request.Seconds = seconds;
    request.LinkBaudIndex = settings_.BaudIndex;
    TLineDetector detector(capture_->Serial, host_);
    return detector.Run(request, [this, &progress](const TDetectProgress& p) {
        host_.ProcessPendingEvents();
        return !progress || progress(p);
    });
}

bool TMonitorSession::ApplyDetection(const TDetectOutcome& outcome) {
    if (Capturing() || outcome.Verdict.Kind != VerdictKind::Found)
        return false;
    const TCandidateResult& best = outcome.Verdict.Best;
    const Protocol selection = SelectionOf(best.Protocol);
    // The framing comes from the verdict, so RAW opens no format dialog here.
    if (!capture_->Control.SelectProtocol(selection, true))
        return false;
    if (outcome.Path == DetectPath::Box) {
        ApplyBoxSetting(settings_.LineMonitor, best.Setting);
        if (outcome.LinkBaudIndex >= 0 && !capture_->Udp)
            settings_.BaudIndex = outcome.LinkBaudIndex;
    } else {
        if (const int item = BaudBoxIndexOf(best.Setting.Baud); item >= 0)
            settings_.BaudIndex = item;
        if (selection == Protocol::Raw) {
            settings_.RawFormat.DataBits = best.Setting.DataBits;
            settings_.RawFormat.Parity = ParityOf(best.Setting);
        }
    }
    view_->SettingsChanged();
    return true;
}

} // namespace protmon
