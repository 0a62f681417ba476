#include "app/protmon-cli/capture_sources.h"

#include "app/protmon-cli/cli_options.h"
#include "app/protmon-cli/commands.h"
#include "capture/udp_argument.h"
#include "model/capture_settings.h"
#include "model/line_monitor_settings.h"
#include "session/session.h"

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>

namespace protmon::cli {

namespace {

// What to do when the serial device refuses the user: serial devices belong to a group (usually
// dialout) whose members may open them; name the group that owns this one.
std::string PermissionHint(const std::string& device) {
    const std::string text = "you lack permission to open " + device + ".";
    const std::string usual =
        " Serial devices usually belong to the group 'dialout', whose members may open them.";
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0)
        return text + usual;
    const group* owner = ::getgrgid(st.st_gid);
    const std::string name = owner != nullptr ? owner->gr_name : std::to_string(st.st_gid);
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return text + " Its group '" + name + "' may not read and write it either." + usual;
    return text + " It belongs to the group '" + name +
           "'; membership of that group gives it: sudo usermod -aG " + name +
           " $USER, then log in again.";
}

} // namespace

void SetUpCapture(TMonitorSession& session, const TCliOptions& o) {
    TCaptureSettings& s = session.Settings();
    s.Selection = o.AssembleProtocol;
    s.PortText = o.Port;
    s.BaudIndex = o.BaudIndex;
    s.LineMonitor = MakeLineMonitorSettings(o.Monitor);
    session.TelegramList().SetBufferDepth(o.BufferDepth);
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
    session.StartStop(true);
    if (session.Capturing())
        return true;
    if (session.SerialPort().LastOpenErrno() == EACCES)
        ReportError(PermissionHint(port));
    return false;
}

bool ParseOperatorList(std::string_view text, std::uint32_t& bits, std::string& error) {
    bits = 0;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        if (item == "comm")
            bits |= kSourceComm;
        else if (item == "pd-out")
            bits |= kSourcePdOut;
        else if (item == "pd-in")
            bits |= kSourcePdIn;
        else {
            error = "unknown operator selection '" + std::string(item) + "' (comm, pd-out, pd-in)";
            return false;
        }
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

} // namespace protmon::cli
