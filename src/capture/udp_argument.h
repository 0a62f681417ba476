#pragma once

#include <string>

namespace protmon {

// The command-line argument host:port of UDP mode.
struct TUdpArgument {
    std::string Host;
    int Port = 0;
    // False when the text after ":" is not a decimal port number (0..65535); Port is then 0.
    bool PortUnderstood = true;
};

TUdpArgument ParseUdpArgument(const std::string& argument);

} // namespace protmon
