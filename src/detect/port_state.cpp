#include "detect/port_state.h"

#include "capture/port_device.h"
#include "capture/serial_com.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace protmon {

namespace {

int OpenPlain(const std::string& device) {
    return ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

} // namespace

int TPortState::Save(const std::string& device) {
    have_ = false;
    errno_ = 0;
    const int fd = OpenPlain(device);
    if (fd < 0) {
        errno_ = errno;
        return errno_ == EBUSY ? kPortBusy : kPortOpenFailed;
    }
    int exclusive = 0;
    const bool held = (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) ||
                      ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (held) {
        ::close(fd);
        errno_ = EBUSY;
        return kPortBusy;
    }
    have_ = ::tcgetattr(fd, &saved_) == 0;
    pseudoTerminal_ = IsPseudoTerminal(fd);
    device_ = device;
    ::close(fd); // also drops the lock
    return kPortOk;
}

void TPortState::Restore() {
    if (!have_)
        return;
    have_ = false;
    const int fd = OpenPlain(device_);
    if (fd < 0)
        return;
    ::tcsetattr(fd, TCSANOW, &saved_);
    ::close(fd);
}

} // namespace protmon
