#include "link.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace protmon::lmsim {

namespace {

struct SpeedRow {
    speed_t code;
    std::uint32_t baud;
};

constexpr std::array<SpeedRow, 10> kSpeeds = {{{B1200, 1200},
                                               {B2400, 2400},
                                               {B4800, 4800},
                                               {B9600, 9600},
                                               {B19200, 19200},
                                               {B38400, 38400},
                                               {B57600, 57600},
                                               {B115200, 115200},
                                               {B230400, 230400},
                                               {B460800, 460800}}};

std::uint32_t BaudOf(speed_t code) {
    for (const SpeedRow& row : kSpeeds) {
        if (row.code == code)
            return row.baud;
    }
    return 0;
}

speed_t CodeOf(std::uint32_t baud) {
    for (const SpeedRow& row : kSpeeds) {
        if (row.baud == baud)
            return row.code;
    }
    return B38400;
}

// A pty carries the termios settings of its slave, so the rate the peer chose is visible here.
// Bytes sent at another rate than the box listens at would be garbage to the box, and its
// answers garbage to the peer: the box hears nothing and its output is not delivered.
class PtyLink : public ILink {
public:
    PtyLink(int master, int slave, std::string path, std::uint32_t linkBaud)
        : master_(master), slave_(slave), path_(std::move(path)), linkBaud_(linkBaud) {}
    ~PtyLink() override {
        ::close(slave_);
        ::close(master_);
    }

    int Fd() const override { return master_; }
    std::string Announcement() const override { return path_; }

    bool Receive(std::vector<std::uint8_t>& out) override {
        std::uint8_t buf[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n < 0)
                return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == EIO;
            if (n == 0)
                return true;
            if (PeerListening())
                out.insert(out.end(), buf, buf + n);
        }
    }

    void QueueReply(ByteView bytes) override { Queue(bytes); }
    void QueueFrames(ByteView bytes) override {
        if (PeerListening())
            Queue(bytes);
    }

    bool Flush() override {
        // Output the peer can no longer decode since it changed its rate is lost on the line.
        if (sent_ < out_.size() && PeerBaud() != outBaud_) {
            out_.clear();
            sent_ = 0;
        }
        while (sent_ < out_.size()) {
            const ssize_t n = ::write(master_, out_.data() + sent_, out_.size() - sent_);
            if (n < 0)
                return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == EIO;
            sent_ += static_cast<std::size_t>(n);
        }
        out_.clear();
        sent_ = 0;
        return true;
    }

    bool HasPending() const override { return sent_ < out_.size(); }
    bool ReadyForMore() const override { return out_.size() - sent_ < 4096; }
    // What is queued so far (the reply to command 1) still goes out at the old rate.
    void SetLinkBaud(std::uint32_t baud) override {
        Flush();
        linkBaud_ = baud;
    }

    bool PeerListening() const override { return PeerBaud() == linkBaud_; }

private:
    std::uint32_t PeerBaud() const {
        termios t{};
        if (::tcgetattr(slave_, &t) != 0)
            return 0;
        return BaudOf(cfgetospeed(&t));
    }

    void Queue(ByteView bytes) {
        if (sent_ == out_.size()) {
            out_.clear();
            sent_ = 0;
            outBaud_ = linkBaud_;
        }
        out_.insert(out_.end(), bytes.data(), bytes.data() + bytes.size());
    }

    int master_;
    int slave_;
    std::string path_;
    std::uint32_t linkBaud_;
    std::uint32_t outBaud_ = 0; // the rate the queued output was meant for
    std::vector<std::uint8_t> out_;
    std::size_t sent_ = 0;
};

// Raw 8E1 at the box's rate, so a peer that opens the slave without configuring it hears the
// box; the peer's own settings replace these.
void ConfigureSlave(int slave, std::uint32_t linkBaud) {
    termios t{};
    if (::tcgetattr(slave, &t) != 0)
        return;
    cfmakeraw(&t);
    t.c_cflag |= PARENB | CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(PARODD);
    cfsetispeed(&t, CodeOf(linkBaud));
    cfsetospeed(&t, CodeOf(linkBaud));
    ::tcsetattr(slave, TCSANOW, &t);
}

} // namespace

std::unique_ptr<ILink> OpenPtyLink(std::uint32_t linkBaud, std::string& error) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = std::string("pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0)
            ::close(master);
        return nullptr;
    }
    char name[128] = {};
    if (::ptsname_r(master, name, sizeof name) != 0) {
        error = "ptsname failed";
        ::close(master);
        return nullptr;
    }
    // Holding the slave open keeps the master usable while the peer closes and reopens the port
    // (as it does to try other link rates).
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = std::string("open ") + name + ": " + std::strerror(errno);
        ::close(master);
        return nullptr;
    }
    ConfigureSlave(slave, linkBaud);
    return std::make_unique<PtyLink>(master, slave, name, linkBaud);
}

} // namespace protmon::lmsim
