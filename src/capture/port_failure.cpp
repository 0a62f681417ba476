#include "capture/port_failure.h"

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>

namespace protmon {

std::string PortPermissionHint(const std::string& device) {
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

std::string PortFailureDetail(const std::string& device, int openErrno) {
    if (device.empty())
        return "no serial device named";
    switch (openErrno) {
    case EACCES:
    case EPERM:
        return PortPermissionHint(device);
    case EBUSY:
        return device + " is busy: another program holds it.";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return device + ": no such device.";
    case 0:
        return device + " could not be opened or set up as a serial port.";
    default:
        return device + ": " + std::strerror(openErrno) + ".";
    }
}

} // namespace protmon
