#pragma once

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace protmon::test {

// A pseudo-terminal pair standing in for a serial line: the test plays the line on the master,
// the code under test opens the slave path like a serial device.
class TPtyPair {
public:
    TPtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) == 0)
            slave_ = name;
        // Raw on the master side too, so the bytes pass unchanged in both directions.
        termios t{};
        if (::tcgetattr(master_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(master_, TCSANOW, &t);
        }
    }
    ~TPtyPair() { CloseMaster(); }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    bool Ok() const { return master_ >= 0 && !slave_.empty(); }
    const std::string& SlavePath() const { return slave_; }

    void Write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
        ::tcdrain(master_);
    }

    // Writes what the pty takes now, without waiting: a line nobody reads drops the rest.
    void WriteNonBlocking(const std::vector<std::uint8_t>& bytes) {
        const int flags = ::fcntl(master_, F_GETFL);
        ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        (void)n;
        ::fcntl(master_, F_SETFL, flags);
    }

    // Reads what the slave side sent until `count` bytes arrived or `timeout` passed.
    std::vector<std::uint8_t> Read(std::size_t count,
                                   std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
        std::vector<std::uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (out.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            std::uint8_t buf[256];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0)
                out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

    void CloseMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slave_;
};

// Repeats `step` until `done` holds or `limit` passed.
template <class Step, class Done>
bool PollUntil(Step step, Done done, std::chrono::milliseconds limit = std::chrono::seconds(2)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        step();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// A second descriptor on the slave, opened before the code under test takes the line (which it
// then holds exclusively): it tells when bytes the master wrote have reached the slave's input,
// which the pty does asynchronously.
class TSlaveProbe {
public:
    explicit TSlaveProbe(const TPtyPair& pty)
        : fd_(::open(pty.SlavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~TSlaveProbe() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TSlaveProbe(const TSlaveProbe&) = delete;
    TSlaveProbe& operator=(const TSlaveProbe&) = delete;

    bool Ok() const { return fd_ >= 0; }
    // True once at least `count` bytes wait unread at the slave.
    bool WaitUnread(int count) const {
        return PollUntil([] {},
                         [&] {
                             int unread = 0;
                             return ::ioctl(fd_, FIONREAD, &unread) == 0 && unread >= count;
                         });
    }

private:
    int fd_ = -1;
};

} // namespace protmon::test
