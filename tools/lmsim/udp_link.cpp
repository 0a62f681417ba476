#include "link.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <deque>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace protmon::lmsim {

namespace {

class UdpLink : public ILink {
public:
    explicit UdpLink(int fd) : fd_(fd) {}
    ~UdpLink() override { ::close(fd_); }

    int Fd() const override { return fd_; }

    std::string Announcement() const override {
        sockaddr_in addr{};
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        return std::to_string(ntohs(addr.sin_port));
    }

    bool Receive(std::vector<std::uint8_t>& out) override {
        std::uint8_t buf[2048];
        for (;;) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n =
                ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n < 0)
                return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ||
                       errno == ECONNREFUSED;
            peer_ = from;
            hasPeer_ = true;
            out.insert(out.end(), buf, buf + n);
        }
    }

    void QueueReply(ByteView bytes) override { Queue(bytes); }
    void QueueFrames(ByteView bytes) override { Queue(bytes); }

    bool Flush() override {
        while (!queue_.empty()) {
            const Datagram& d = queue_.front();
            const ssize_t n = ::sendto(fd_, d.bytes.data(), d.bytes.size(), 0,
                                       reinterpret_cast<const sockaddr*>(&d.to), sizeof d.to);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS))
                return true;
            // A peer that went away (ECONNREFUSED from an earlier datagram) is not fatal: the
            // datagram is lost as it would be on a network.
            queue_.pop_front();
        }
        return true;
    }

    bool HasPending() const override { return !queue_.empty(); }
    bool ReadyForMore() const override { return queue_.size() < 64; }
    bool PeerListening() const override { return hasPeer_; }

private:
    struct Datagram {
        sockaddr_in to;
        std::vector<std::uint8_t> bytes;
    };

    // Replies go to the sender of the command just handled, frames to the last peer: both are the
    // latest sender.
    void Queue(ByteView bytes) {
        if (!hasPeer_ || bytes.empty())
            return;
        // Straight out when nothing waits, so streaming does not copy every datagram.
        if (queue_.empty()) {
            const ssize_t n = ::sendto(fd_, bytes.data(), bytes.size(), 0,
                                       reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_);
            if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOBUFS))
                return;
        }
        queue_.push_back(
            {peer_, std::vector<std::uint8_t>(bytes.data(), bytes.data() + bytes.size())});
    }

    int fd_;
    sockaddr_in peer_{};
    bool hasPeer_ = false;
    std::deque<Datagram> queue_;
};

} // namespace

std::unique_ptr<ILink> OpenUdpLink(int port, std::string& error) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return nullptr;
    }
    const int size = 4 << 20;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        error = "bind 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<UdpLink>(fd);
}

} // namespace protmon::lmsim
