#include "app/protmon-cli/capture_sources.h"

#include "app/protmon-cli/cli_options.h"
#include "app/protmon-cli/commands.h"
#include "capture/udp_argument.h"
#include "model/capture_settings.h"
#include "model/line_monitor_settings.h"
#include "session/session.h"

#include <atomic>
#include <csignal>

namespace protmon::cli {

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<bool> nextFileRequested{false};

extern "C" void RequestCaptureStop(int) {
    stopRequested = true;
}

extern "C" void RequestNextFile(int) {
    nextFileRequested = true;
}

} // namespace

void InstallCaptureSignals(TCaptureSignals which) {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = RequestCaptureStop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    if (which.NextFileOnHangup) {
        action.sa_handler = RequestNextFile;
        sigaction(SIGHUP, &action, nullptr);
    }
    if (which.IgnoreBrokenPipe)
        std::signal(SIGPIPE, SIG_IGN);
}

bool StopRequested() {
    return stopRequested;
}

bool TakeNextFileRequest() {
    return nextFileRequested.exchange(false);
}

void SetUpCapture(TMonitorSession& session, const TCliOptions& o) {
    TCaptureSettings s = session.Settings();
    s.Selection = o.AssembleProtocol;
    s.PortText = o.Port;
    s.BaudIndex = o.BaudIndex;
    s.LineMonitor = MakeLineMonitorSettings(o.Monitor);
    session.ApplySettings(s);
    session.SetBufferDepth(o.BufferDepth);
    for (SourceFlag f : {kSourceComm, kSourcePdOut, kSourcePdIn})
        if ((o.OperatorBits & f) != 0)
            session.SetOperatorBox(f, true);
}

bool SelectSource(TMonitorSession& session, const TCliOptions& options) {
    if (!options.Udp.empty()) {
        const TUdpArgument remote = ParseUdpArgument(options.Udp);
        if (!remote.PortUnderstood) {
            ReportError("--udp " + options.Udp + ": the port must be a decimal number");
            return false;
        }
        session.UseUdpSource(remote);
    } else if (options.LineMonitor) {
        session.SetMonitorBox(true);
    }
    return true;
}

bool StartCaptureOrExplain(TMonitorSession& session, const std::string& port) {
    // The session's error box carries the reason (permission with the group, busy, missing) as
    // its detail, which the tool's host prints below the box text.
    (void)port;
    session.StartStop(true);
    return session.Capturing();
}

} // namespace protmon::cli
