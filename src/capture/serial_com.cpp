#include "capture/serial_com.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace protmon {

namespace {

bool BaudConstant(int baud, speed_t& out) {
    static constexpr struct {
        int rate;
        speed_t code;
    } kRates[] = {{50, B50},         {75, B75},          {110, B110},       {134, B134},
                  {150, B150},       {200, B200},        {300, B300},       {600, B600},
                  {1200, B1200},     {1800, B1800},      {2400, B2400},     {4800, B4800},
                  {9600, B9600},     {19200, B19200},    {38400, B38400},   {57600, B57600},
                  {115200, B115200}, {230400, B230400},  {460800, B460800}, {500000, B500000},
                  {921600, B921600}, {1000000, B1000000}};
    for (const auto& r : kRates) {
        if (r.rate == baud) {
            out = r.code;
            return true;
        }
    }
    return false;
}

// The device is gone: a hang-up, an error or a closed descriptor is pending.
bool HungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

} // namespace

bool IsPseudoTerminal(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

TSerialCom::~TSerialCom() {
    Close();
}

int TSerialCom::Open(const std::string& device, int baud, int dataBits, char parity, int stopCode) {
    openErrno_ = 0;
    if (fd_ >= 0)
        return kPortBusy;
    if (device.empty())
        return kPortOpenFailed;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        openErrno_ = errno;
        return errno == EBUSY ? kPortBusy : kPortOpenFailed; // EBUSY: another holds TIOCEXCL
    }
    // TIOCEXCL does not bind a privileged opener, so the lock is what keeps a second capture
    // (ours or another serial program's) off the line; it goes with the descriptor.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        openErrno_ = EBUSY;
        return kPortBusy;
    }
    fd_ = fd;
    // The mark lives on the device, not the descriptor: clear it at Close only if we set it.
    int wasExclusive = 0;
    ownsExclusive_ = ::ioctl(fd_, TIOCGEXCL, &wasExclusive) == 0 && wasExclusive == 0 &&
                     ::ioctl(fd_, TIOCEXCL) == 0;
    if (!Configure(baud, dataBits, parity, stopCode)) {
        ReleaseDevice();
        return kPortOpenFailed;
    }
    {
        std::lock_guard<std::mutex> g(lock_);
        stop_ = false;
        bytesToWrite_ = 0;
        writeOffset_ = 0;
        writePending_ = false;
        drainRequests_ = 0;
        lastError_ = kRxNone;
        haveCounts_ = ReadCounts(counts_);
        eventMask_ = 0;
        handler_ = nullptr;
    }
    writer_ = std::thread([this] { WriterLoop(); });
    txEmpty_ = std::thread([this] { TxEmptyLoop(); });
    return kPortOk;
}

bool SetCaptureTermios(termios& t, int baud, int dataBits, char parity, int stopCode) {
    speed_t speed{};
    if (!BaudConstant(baud, speed))
        return false;
    ::cfmakeraw(&t);
    // Parity is generated and checked by the line, but INPCK stays off: with it, and neither
    // IGNPAR (drop the byte) nor PARMRK (insert 0xFF 0x00 before it), n_tty hands a byte with a
    // parity or framing error on as 0x00. Without it the byte arrives as received, and the
    // driver still counts the error in the counters TakeError reads (TIOCGICOUNT).
    t.c_iflag &=
        ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | IGNPAR | PARMRK | INPCK | ISTRIP | IGNBRK);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | (dataBits == 7 ? CS7 : CS8);
    switch (parity) {
    case 'E':
        t.c_cflag |= PARENB;
        break;
    case 'O':
        t.c_cflag |= PARENB | PARODD;
        break;
    case 'M':
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case 'S':
        t.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (stopCode == 2)
        t.c_cflag |= CSTOPB;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return ::cfsetispeed(&t, speed) == 0 && ::cfsetospeed(&t, speed) == 0;
}

bool TSerialCom::Configure(int baud, int dataBits, char parity, int stopCode) {
    termios t{};
    if (::tcgetattr(fd_, &t) != 0)
        return false;
    const tcflag_t current = t.c_cflag;
    if (!SetCaptureTermios(t, baud, dataBits, parity, stopCode))
        return false;
    if (markErrors_)
        t.c_iflag |= INPCK | PARMRK;
    if (::tcsetattr(fd_, TCSANOW, &t) == 0)
        return true;
    // A pty has no character framing and some kernels refuse to change it: keep what it has.
    if (!IsPseudoTerminal(fd_))
        return false;
    constexpr tcflag_t kFraming = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    t.c_cflag = (t.c_cflag & ~kFraming) | (current & kFraming);
    return ::tcsetattr(fd_, TCSANOW, &t) == 0;
}

int TSerialCom::Reconfigure(int baud, int dataBits, char parity, int stopCode) {
    std::lock_guard<std::mutex> g(lock_);
    if (fd_ < 0)
        return kPortNotOpen;
    if (!Configure(baud, dataBits, parity, stopCode))
        return kPortOpenFailed;
    ::tcflush(fd_, TCIFLUSH);
    RefreshError();
    lastError_ = kRxNone;
    return kPortOk;
}

int TSerialCom::Close() {
    if (fd_ < 0)
        return kPortNotOpen;
    {
        std::lock_guard<std::mutex> g(lock_);
        stop_ = true;
        handler_ = nullptr;
        eventMask_ = 0;
    }
    writeRequest_.notify_all();
    txRequest_.notify_all();
    if (writer_.joinable())
        writer_.join();
    if (txEmpty_.joinable())
        txEmpty_.join();
    ReleaseDevice();
    return kPortOk;
}

void TSerialCom::ReleaseDevice() {
    // The exclusive mark outlives the descriptor on some devices (a pty's slave while its master
    // stays open); drop the one we set so the device can be opened again.
    if (ownsExclusive_)
        ::ioctl(fd_, TIOCNXCL);
    ownsExclusive_ = false;
    ::close(fd_); // also releases the lock
    fd_ = -1;
}

int TSerialCom::Read(std::uint8_t* destination, int maximum, int& count) {
    count = 0;
    std::lock_guard<std::mutex> g(lock_);
    if (fd_ < 0)
        return kPortNotOpen;
    RefreshError();
    if (maximum <= 0)
        return kPortOk;
    const ssize_t n = ::read(fd_, destination, static_cast<std::size_t>(maximum));
    if (n > 0) {
        count = static_cast<int>(n);
        return kPortOk;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return kPortOk;
    // A raw tty without data reads 0 as well; only a pending hang-up tells the two apart.
    if (n == 0 && !HungUp(fd_))
        return kPortOk;
    return kPortOpenFailed;
}

int TSerialCom::Write(const std::uint8_t* source, int count) {
    count = std::clamp(count, 0, kMaxWrite);
    {
        std::lock_guard<std::mutex> g(lock_);
        if (fd_ < 0)
            return kPortNotOpen;
        std::copy_n(source, count, writeBuffer_.begin());
        bytesToWrite_ = count;
        writeOffset_ = 0;
        writePending_ = count > 0;
    }
    writeRequest_.notify_one();
    return count;
}

bool TSerialCom::ReadCounts(ErrorCounts& out) const {
    serial_icounter_struct c{};
    if (::ioctl(fd_, TIOCGICOUNT, &c) != 0)
        return false;
    out.parity = c.parity;
    out.frame = c.frame;
    out.overrun = c.overrun;
    out.bufOverrun = c.buf_overrun;
    return true;
}

void TSerialCom::RefreshError() {
    ErrorCounts now;
    if (!haveCounts_ || !ReadCounts(now))
        return;
    // Later assignments win: parity over framing over overrun.
    if (now.bufOverrun != counts_.bufOverrun || now.overrun != counts_.overrun)
        lastError_ = kRxOverrun;
    if (now.frame != counts_.frame)
        lastError_ = kRxFraming;
    if (now.parity != counts_.parity)
        lastError_ = kRxParity;
    counts_ = now;
}

int TSerialCom::TakeError() {
    std::lock_guard<std::mutex> g(lock_);
    if (fd_ < 0)
        return kRxNone;
    RefreshError();
    const int e = lastError_;
    lastError_ = kRxNone;
    return e;
}

void TSerialCom::Purge() {
    std::lock_guard<std::mutex> g(lock_);
    if (fd_ < 0)
        return;
    ::tcflush(fd_, TCIFLUSH);
    std::uint8_t sink[100];
    for (int i = 0; i < 1000 && ::read(fd_, sink, sizeof sink) > 0; ++i) {
    }
    RefreshError();
    lastError_ = kRxNone;
}

int TSerialCom::ModemLine(unsigned long request, int bits) {
    if (fd_ < 0)
        return kPortNotOpen;
    ::ioctl(fd_, request, &bits); // a device without modem lines (a pty) is not an error
    return kPortOk;
}

int TSerialCom::SetRts() {
    return ModemLine(TIOCMBIS, TIOCM_RTS);
}
int TSerialCom::ClearRts() {
    return ModemLine(TIOCMBIC, TIOCM_RTS);
}
int TSerialCom::ClearDtr() {
    return ModemLine(TIOCMBIC, TIOCM_DTR);
}

int TSerialCom::SetEventHandler(std::uint32_t mask, PortEventHandler handler) {
    std::lock_guard<std::mutex> g(lock_);
    if (fd_ < 0)
        return kPortNotOpen;
    eventMask_ = mask;
    handler_ = std::move(handler);
    return kPortOk;
}

void TSerialCom::WriterLoop() {
    std::unique_lock<std::mutex> g(lock_);
    for (;;) {
        writeRequest_.wait(g, [this] { return stop_ || bytesToWrite_ > 0; });
        if (stop_)
            return;
        const ssize_t n = ::write(fd_, writeBuffer_.data() + writeOffset_,
                                  static_cast<std::size_t>(bytesToWrite_));
        if (n > 0) {
            bytesToWrite_ -= static_cast<int>(n);
            writeOffset_ += static_cast<int>(n);
            if (bytesToWrite_ == 0) {
                writePending_ = false;
                ++drainRequests_;
                txRequest_.notify_one();
            }
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            // The device failed; drop the bytes, the reader reports the loss.
            bytesToWrite_ = 0;
            writePending_ = false;
            continue;
        }
        // Output queue full: wait until it takes more, without holding the lock.
        const int fd = fd_;
        g.unlock();
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, 50);
        g.lock();
    }
}

void TSerialCom::TxEmptyLoop() {
    std::unique_lock<std::mutex> g(lock_);
    for (;;) {
        txRequest_.wait(g, [this] { return stop_ || drainRequests_ > 0; });
        if (stop_)
            return;
        drainRequests_ = 0;
        const int fd = fd_;
        g.unlock();
        ::tcdrain(fd);
        g.lock();
        if (stop_)
            return;
        if (bytesToWrite_ > 0 || drainRequests_ > 0 || (eventMask_ & kEvTxEmpty) == 0 || !handler_)
            continue; // more output queued meanwhile: its drain reports instead
        PortEventHandler handler = handler_;
        g.unlock();
        handler(kEvTxEmpty);
        g.lock();
    }
}

} // namespace protmon
