#pragma once

// The session's capture machinery; included by the session's own files only, so that the window
// and the command line do not compile the port, the threads of the UDP source and the rest.

#include "capture/capture_assemblers.h"
#include "capture/capture_control.h"
#include "capture/capture_link.h"
#include "capture/line_monitor.h"
#include "capture/operator_monitor.h"
#include "capture/serial_com.h"
#include "capture/udp_argument.h"
#include "capture/udp_source.h"
#include "session/session.h"

#include <memory>
#include <optional>

namespace protmon {

struct TMonitorSession::TCaptureParts {
    TCaptureParts(TTelegramList& list, TCaptureSettings& settings, IHost& host)
        : Control(list, Link, settings, host), Assemblers(Control, host),
          LineMonitor(Control, host) {}

    TSerialCom Serial;
    TCaptureLink Link{Serial};
    TCaptureControl Control;
    TCaptureAssemblers Assemblers;
    TOperatorMonitor Operator{Link};
    TLineMonitor LineMonitor;
    std::optional<TUdpArgument> Udp;
    std::unique_ptr<TUdpSource> UdpSource;
    // What Control reports goes to the session through this.
    std::unique_ptr<ICaptureObserver> Events;
};

} // namespace protmon
