#pragma once

// Runs the built lmsim simulator as a child process and talks to it with plain POSIX calls, as
// the monitor's host link would. Header-only so benchmark programs can use it too.

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace protmon::testing {

using Bytes = std::vector<std::uint8_t>;

#ifdef PROTMON_BINARY_DIR
// The simulator built with the tests.
inline const std::string kLmsim = PROTMON_BINARY_DIR "/lmsim";
#endif

// Waits until fd is readable, at most timeoutMs; false on timeout.
inline bool WaitReadable(int fd, int timeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    return ::poll(&pfd, 1, timeoutMs) > 0 && (pfd.revents & POLLIN) != 0;
}

class LmsimProcess {
public:
    LmsimProcess(const std::string& program, const std::vector<std::string>& args) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = out[0];
        if (pid_ > 0)
            ReadFirstLine();
    }
    ~LmsimProcess() {
        Stop();
        if (out_ >= 0)
            ::close(out_);
    }
    LmsimProcess(const LmsimProcess&) = delete;
    LmsimProcess& operator=(const LmsimProcess&) = delete;

    // The first output line: the UDP port or the pty path; empty if the program did not start.
    const std::string& FirstLine() const { return firstLine_; }
    int Port() const { return firstLine_.empty() ? 0 : std::stoi(firstLine_); }
    // Ends the program with SIGTERM and returns its exit status (-1 if it did not exit cleanly).
    int Stop() {
        if (pid_ <= 0)
            return exit_;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return exit_;
    }

private:
    void ReadFirstLine() {
        char c = 0;
        while (WaitReadable(out_, 2000) && ::read(out_, &c, 1) == 1 && c != '\n')
            firstLine_ += c;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int exit_ = -1;
    std::string firstLine_;
};

inline Bytes HostCommand(std::uint8_t code, std::uint8_t value) {
    return {0x1B, 0x40, 0x1B, code, value};
}

// A UDP socket on loopback that plays the monitor's end of the host link.
class UdpPeer {
public:
    explicit UdpPeer(int port) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int size = 8 << 20;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        box_.sin_family = AF_INET;
        box_.sin_port = htons(static_cast<std::uint16_t>(port));
        box_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~UdpPeer() { ::close(fd_); }
    int Fd() const { return fd_; }
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    bool Send(const Bytes& bytes) {
        return ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&box_),
                        sizeof box_) == static_cast<ssize_t>(bytes.size());
    }
    std::optional<Bytes> Receive(int timeoutMs) {
        if (!WaitReadable(fd_, timeoutMs))
            return std::nullopt;
        Bytes buf(2048);
        const ssize_t n = ::recv(fd_, buf.data(), buf.size(), 0);
        if (n < 0)
            return std::nullopt;
        buf.resize(static_cast<std::size_t>(n));
        return buf;
    }
    // Sends a command and returns the status of its reply.
    std::optional<std::uint8_t> Command(std::uint8_t code, std::uint8_t value,
                                        int timeoutMs = 500) {
        Send(HostCommand(code, value));
        const std::optional<Bytes> reply = Receive(timeoutMs);
        if (!reply || reply->size() != 4 || (*reply)[0] != 0x1B || (*reply)[1] != 0x40 ||
            (*reply)[2] != 0x1B)
            return std::nullopt;
        return (*reply)[3];
    }

private:
    int fd_ = -1;
    sockaddr_in box_{};
};

inline speed_t SpeedCode(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B38400;
    }
}

// The monitor's end of a serial host link on the simulator's pty: raw 8E1 at a chosen rate.
class PtyPeer {
public:
    PtyPeer(const std::string& path, int baud) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        SetBaud(baud);
    }
    ~PtyPeer() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool Open() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    void SetBaud(int baud) {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0)
            return;
        cfmakeraw(&t);
        t.c_cflag |= PARENB | CLOCAL | CREAD;
        cfsetispeed(&t, SpeedCode(baud));
        cfsetospeed(&t, SpeedCode(baud));
        ::tcsetattr(fd_, TCSANOW, &t);
        ::tcflush(fd_, TCIOFLUSH);
    }
    bool Send(const Bytes& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Reads until count bytes arrived or the time is up.
    Bytes Read(std::size_t count, int timeoutMs) {
        Bytes out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::uint8_t buf[4096];
        while (out.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  end - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0 || !WaitReadable(fd_, static_cast<int>(left)))
                break;
            const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - out.size()));
            if (n > 0)
                out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    // Waits up to timeoutMs for data and returns what is there (empty on timeout).
    Bytes ReadSome(int timeoutMs) {
        Bytes out(4096);
        if (!WaitReadable(fd_, timeoutMs))
            return {};
        const ssize_t n = ::read(fd_, out.data(), out.size());
        out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return out;
    }
    // Waits up to timeoutMs until at least `count` bytes stand unread in the line.
    bool WaitUnread(int count, int timeoutMs) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int unread = 0;
            if (::ioctl(fd_, FIONREAD, &unread) == 0 && unread >= count)
                return true;
            if (std::chrono::steady_clock::now() >= end)
                return false;
            ::usleep(1000);
        }
    }
    std::optional<std::uint8_t> Command(std::uint8_t code, std::uint8_t value,
                                        int timeoutMs = 300) {
        Send(HostCommand(code, value));
        const Bytes reply = Read(4, timeoutMs);
        if (reply.size() != 4 || reply[0] != 0x1B || reply[1] != 0x40 || reply[2] != 0x1B)
            return std::nullopt;
        return reply[3];
    }

private:
    int fd_ = -1;
};

// One line-monitor data frame taken apart.
struct DataFrame {
    std::uint8_t channel = 0;
    std::uint16_t stamp = 0;
    Bytes telegram;
};

// Cuts a byte stream into data frames; false if anything but whole frames is found.
inline bool SplitFrames(const Bytes& bytes, std::vector<DataFrame>& frames) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 7 || bytes[pos] != 0x1B || bytes[pos + 1] != 0x40 ||
            bytes[pos + 2] != 0x1B || bytes[pos + 3] < 4)
            return false;
        const std::size_t total = bytes[pos + 3] + 3u;
        if (bytes.size() - pos < total)
            return false;
        DataFrame f;
        f.channel = bytes[pos + 4];
        f.stamp = static_cast<std::uint16_t>((bytes[pos + 5] << 8) | bytes[pos + 6]);
        f.telegram.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos + 7),
                          bytes.begin() + static_cast<std::ptrdiff_t>(pos + total));
        frames.push_back(std::move(f));
        pos += total;
    }
    return true;
}

inline bool BccOk(const Bytes& telegram) {
    if (telegram.size() < 2)
        return false;
    std::uint8_t bcc = 0;
    for (std::size_t i = 0; i + 1 < telegram.size(); ++i)
        bcc ^= telegram[i];
    return bcc == telegram.back();
}

} // namespace protmon::testing
