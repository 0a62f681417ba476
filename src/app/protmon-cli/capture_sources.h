#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace protmon {
class TMonitorSession;
}

namespace protmon::cli {

struct TCliOptions;

// The value of --operator: any of "comm", "pd-out", "pd-in", separated by commas, as
// kSourceComm | kSourcePdOut | kSourcePdIn. False with the reason in `error`.
bool ParseOperatorList(std::string_view text, std::uint32_t& bits, std::string& error);

// The capture settings, list depth and operator boxes of the options, as `capture` sets them.
void SetUpCapture(TMonitorSession& session, const TCliOptions& options);

// Points the session at the UDP source of --udp, or at the line monitor, as the options say.
// False, reported, when --udp names no decimal port.
bool SelectSource(TMonitorSession& session, const TCliOptions& options);

// Starts the capture; when the serial device refused the user, says how to get access. False
// when nothing is capturing.
bool StartCaptureOrExplain(TMonitorSession& session, const std::string& port);

// The signals of a running capture: SIGINT and SIGTERM ask it to stop; SIGHUP asks the recorder
// for its next file; a reader that went away is a write error rather than the end of the
// process, where the command streams to one.
struct TCaptureSignals {
    bool NextFileOnHangup = false;
    bool IgnoreBrokenPipe = false;
};
void InstallCaptureSignals(TCaptureSignals which);
bool StopRequested();
// True once per SIGHUP.
bool TakeNextFileRequest();

} // namespace protmon::cli
