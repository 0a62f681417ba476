#include "app/protmon-cli/commands.h"
#include "capture/capture_link.h"
#include "capture/serial_com.h"
#include "capture/udp_argument.h"
#include "detect/detect_text.h"
#include "detect/line_detector.h"

#include <csignal>

namespace protmon::cli {

namespace {

constexpr double kDefaultSeconds = 20;
constexpr std::size_t kTableRows = 12;

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

} // namespace

int RunDetect(const TCliOptions& options) {
    TDetectRequest request;
    request.Port = options.Port;
    request.Monitor = options.DetectBox;
    request.Seconds = options.Seconds > 0 ? options.Seconds : kDefaultSeconds;
    request.LinkBaudIndex = options.BaudIndex;
    if (!options.Udp.empty()) {
        request.Udp = ParseUdpArgument(options.Udp);
        if (!request.Udp->PortUnderstood) {
            ReportError("--udp needs HOST:PORT with a decimal port number");
            return kExitUsage;
        }
    }
    // Ctrl-C ends the detection like the window's Cancel: the port is put back as it was.
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    TSerialCom port;
    TCliHost host;
    TLineDetector detector(port, host);
    const TDetectOutcome out =
        detector.Run(request, [](const TDetectProgress&) { return interrupted == 0; });
    const bool udp = !options.Udp.empty();
    const std::string failure = DetectFailureText(out, udp ? options.Udp : options.Port, udp);
    if (!failure.empty()) {
        ReportError(failure);
        return kExitFileError;
    }
    const int linkBaud = out.LinkBaudIndex >= 0 ? BaudBoxRate(out.LinkBaudIndex) : 0;
    TOutputBuffer buffer(stdout);
    std::string& text = buffer.Text();
    if (options.Json) {
        text = DetectJson(out, linkBaud);
    } else {
        if (linkBaud > 0)
            text += "Line monitor host link: " + std::to_string(linkBaud) + " Baud\n";
        text += DetectTableText(out.Ranked, kTableRows);
        text += VerdictText(out.Verdict) + "\n";
    }
    if (!buffer.Flush()) {
        ReportOutputError();
        return kExitFileError;
    }
    if (out.Cancelled)
        return kExitFileError;
    return out.Verdict.Kind == VerdictKind::Found ? kExitOk : kExitFileError;
}

} // namespace protmon::cli
