#pragma once

#include <string>

namespace protmon {

// Why a serial device could not be opened, for the detail of "Serial interface not available"
// and the command line: no such device, busy because another program holds it, or the
// permission with the group whose members may open it. `openErrno` as the port reported it.
std::string PortFailureDetail(const std::string& device, int openErrno);

// The permission part alone: who may open `device` and how to become one of them.
std::string PortPermissionHint(const std::string& device);

} // namespace protmon
