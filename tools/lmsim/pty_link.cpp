#include "link.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace protmon::lmsim {

namespace {

struct SpeedRow {
    speed_t code;
    std::uint32_t baud;
};

constexpr std::array<SpeedRow, 19> kSpeeds = {{{B1200, 1200},
                                               {B2400, 2400},
                                               {B4800, 4800},
                                               {B9600, 9600},
                                               {B19200, 19200},
                                               {B38400, 38400},
                                               {B57600, 57600},
                                               {B115200, 115200},
                                               {B230400, 230400},
                                               {B460800, 460800},
                                               {B50, 50},
                                               {B75, 75},
                                               {B110, 110},
                                               {B150, 150},
                                               {B300, 300},
                                               {B600, 600},
                                               {B500000, 500000},
                                               {B921600, 921600},
                                               {B1000000, 1000000}}};

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

PeerLineSettings SettingsOf(const termios& t, bool framingKept) {
    PeerLineSettings s;
    const speed_t in = cfgetispeed(&t);
    s.baud = BaudOf(in != B0 ? in : cfgetospeed(&t));
    if (framingKept) {
        const tcflag_t size = t.c_cflag & CSIZE;
        s.dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
        s.parityEnabled = (t.c_cflag & PARENB) != 0;
    }
    s.oddParity = (t.c_cflag & PARODD) != 0;
    s.stickParity = (t.c_cflag & CMSPAR) != 0;
    s.stopBits = (t.c_cflag & CSTOPB) != 0 ? 2 : 1;
    const tcflag_t i = t.c_iflag;
    s.input = TtyInputFlags{(i & IGNBRK) != 0,       (i & BRKINT) != 0, (i & IGNPAR) != 0,
                            (i & PARMRK) != 0,       (i & INPCK) != 0,  (i & ISTRIP) != 0,
                            (t.c_cflag & CREAD) != 0};
    return s;
}

// A pty carries the termios settings of its slave, so the rate the peer chose is visible here.
// Bytes sent at another rate than the box listens at would be garbage to the box, and its
// answers garbage to the peer: the box hears nothing and its output is not delivered.
class PtyLink : public ILink {
public:
    PtyLink(int master, int slave, std::string path, std::uint32_t linkBaud, bool framingKept)
        : master_(master), slave_(slave), path_(std::move(path)), linkBaud_(linkBaud),
          framingKept_(framingKept) {}
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
        if (dropOnRateChange_ && sent_ < out_.size() && PeerBaud() != outBaud_) {
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

    std::optional<PeerLineSettings> PeerLine() const override {
        termios t{};
        if (::tcgetattr(slave_, &t) != 0)
            return std::nullopt;
        return SettingsOf(t, framingKept_);
    }

protected:
    int Slave() const { return slave_; }
    bool dropOnRateChange_ = true;

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
    bool framingKept_;
    std::uint32_t outBaud_ = 0; // the rate the queued output was meant for
    std::vector<std::uint8_t> out_;
    std::size_t sent_ = 0;
};

// A plain line: the simulator decides what the peer's UART receives, so everything is written
// whatever rate the peer set. A real port that nobody reads (or that is closed) receives
// nothing, while a pty keeps what was written for whoever opens it next: what lies unread for
// a second is thrown away.
class PtyBusLink : public PtyLink {
public:
    PtyBusLink(int master, int slave, std::string path, bool framingKept)
        : PtyLink(master, slave, std::move(path), 38400, framingKept) {
        dropOnRateChange_ = false;
    }

    void QueueFrames(ByteView bytes) override { QueueReply(bytes); }
    bool PeerListening() const override { return true; }
    bool Flush() override {
        DiscardUnread();
        const bool ok = PtyLink::Flush();
        int queued = 0;
        if (::ioctl(Slave(), TIOCINQ, &queued) == 0)
            queuedAfterWrite_ = queued;
        return ok;
    }

private:
    void DiscardUnread() {
        int queued = 0;
        if (::ioctl(Slave(), TIOCINQ, &queued) != 0)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (queued == 0 || queued < queuedAfterWrite_) {
            lastRead_ = now;
        } else if (now - lastRead_ > kUnreadLimit) {
            ::tcflush(Slave(), TCIFLUSH);
            lastRead_ = now;
        }
        queuedAfterWrite_ = 0;
    }

    static constexpr std::chrono::seconds kUnreadLimit{1};
    int queuedAfterWrite_ = 0;
    std::chrono::steady_clock::time_point lastRead_ = std::chrono::steady_clock::now();
};

// Whether the kernel keeps the data bits and parity a peer sets on a pty (Linux 6 forces CS8
// and clears PARENB).
bool KeepsFraming(int slave) {
    termios t{};
    if (::tcgetattr(slave, &t) != 0)
        return false;
    t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS7 | PARENB;
    termios back{};
    return ::tcsetattr(slave, TCSANOW, &t) == 0 && ::tcgetattr(slave, &back) == 0 &&
           (back.c_cflag & CSIZE) == CS7 && (back.c_cflag & PARENB) != 0;
}

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

// Opens a pty pair; the slave stays open (see PtyLink). False with error set on failure.
bool OpenPair(int& master, int& slave, std::string& path, std::string& error) {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = std::string("pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0)
            ::close(master);
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master, name, sizeof name) != 0) {
        error = "ptsname failed";
        ::close(master);
        return false;
    }
    // Holding the slave open keeps the master usable while the peer closes and reopens the port
    // (as it does to try other link rates).
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = std::string("open ") + name + ": " + std::strerror(errno);
        ::close(master);
        return false;
    }
    path = name;
    return true;
}

} // namespace

std::unique_ptr<ILink> OpenPtyLink(std::uint32_t linkBaud, std::string& error) {
    int master = -1;
    int slave = -1;
    std::string path;
    if (!OpenPair(master, slave, path, error))
        return nullptr;
    const bool framingKept = KeepsFraming(slave);
    ConfigureSlave(slave, linkBaud);
    return std::make_unique<PtyLink>(master, slave, path, linkBaud, framingKept);
}

std::unique_ptr<ILink> OpenPtyBusLink(std::string& error) {
    int master = -1;
    int slave = -1;
    std::string path;
    if (!OpenPair(master, slave, path, error))
        return nullptr;
    const bool framingKept = KeepsFraming(slave);
    ConfigureSlave(slave, 38400);
    return std::make_unique<PtyBusLink>(master, slave, path, framingKept);
}

} // namespace protmon::lmsim
