#pragma once

#include <optional>
#include <string>
#include <vector>

namespace protmon {

inline constexpr const char* kSysClassTty = "/sys/class/tty";

// The serial devices the system has now: every tty under `sysfsRoot` that has a driver (a
// `device` entry), as "DEVROOT/NAME", in natural order (ttyS2 before ttyS10).
std::vector<std::string> ListSerialPorts(const std::string& sysfsRoot = kSysClassTty,
                                         const std::string& devRoot = "/dev");

// Items for the port box when it gets the focus; nothing (the box is left as it is) in UDP
// mode, where it shows the remote host.
std::optional<std::vector<std::string>>
RefreshComPorts(bool udpMode, const std::string& sysfsRoot = kSysClassTty);

} // namespace protmon
