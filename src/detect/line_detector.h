#pragma once

#include "capture/serial_com.h"
#include "capture/udp_argument.h"
#include "detect/detect_outcome.h"
#include "model/host.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace protmon {

// What to detect on.
struct TDetectRequest {
    std::string Port;                // serial device; ignored with Udp
    std::optional<TUdpArgument> Udp; // a line monitor box over UDP
    bool Monitor = false;            // a line monitor box on the serial port
    double Seconds = 20;             // give up after this long
    int LinkBaudIndex = 5;           // baud box item the box's host link is brought to
};

// Finds rate, framing and protocol of an unknown line from its traffic: listens at each
// candidate setting in turn (directly: reconfiguring the one exclusively opened port; behind a
// box: through its configuration commands), gathers evidence, and stops once one candidate is
// clearly ahead or the time is up. The port is left as it was found.
class TLineDetector {
public:
    // `port` is the program's serial port (closed while no capture runs); `host` lets events
    // through during the box's reply waits.
    TLineDetector(TSerialCom& port, IHost& host) : port_(port), host_(host) {}

    TDetectOutcome Run(const TDetectRequest& request, const DetectProgress& progress);

    // Shortest listening time per setting; the slow rates listen for 80 characters.
    static constexpr std::chrono::milliseconds kMinWindow{150};

private:
    class TSweep;
    int RunDirect(TSweep& sweep, const TDetectRequest& request, bool pseudoTerminal,
                  TDetectOutcome& out);
    int RunBox(TSweep& sweep, const TDetectRequest& request, TDetectOutcome& out);
    TSerialCom& port_;
    IHost& host_;
};

} // namespace protmon
