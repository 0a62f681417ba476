#include "capture/udp_argument.h"

#include <charconv>

namespace protmon {

TUdpArgument ParseUdpArgument(const std::string& argument) {
    TUdpArgument result;
    const auto colon = argument.find(':');
    if (colon == std::string::npos) {
        result.Host = argument;
        return result;
    }
    result.Host = argument.substr(0, colon);
    const std::string port = argument.substr(colon + 1);
    int value = 0;
    auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || ec != std::errc() || end != port.data() + port.size() || value < 0 ||
        value > 65535) {
        result.PortUnderstood = false;
        return result;
    }
    result.Port = value;
    return result;
}

} // namespace protmon
