#include "app/protmon-cli/metrics_connection.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace protmon::cli {

namespace {

void AddressOf(int fd, bool peer, std::string& ip, int& port) {
    sockaddr_storage a{};
    socklen_t length = sizeof a;
    const int rc = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&a), &length)
                        : getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    char text[INET6_ADDRSTRLEN] = "";
    port = 0;
    if (rc == 0 && a.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&a);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (rc == 0 && a.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&a);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

} // namespace

bool TBoundedStream::is_readable() const {
    return begin_ < end_ || Wait(POLLIN);
}

bool TBoundedStream::is_writable() const {
    return Wait(POLLOUT);
}

ssize_t TBoundedStream::read(char* ptr, size_t size) {
    if (begin_ == end_ && !Fill())
        return -1;
    const std::size_t n = std::min(size, end_ - begin_);
    std::memcpy(ptr, buffer_.data() + begin_, n);
    begin_ += n;
    return static_cast<ssize_t>(n);
}

ssize_t TBoundedStream::write(const char* ptr, size_t size) {
    if (!Wait(POLLOUT))
        return -1;
    return send(fd_, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
}

void TBoundedStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    AddressOf(fd_, true, ip, port);
}

void TBoundedStream::get_local_ip_and_port(std::string& ip, int& port) const {
    AddressOf(fd_, false, ip, port);
}

bool TBoundedStream::Wait(short events) const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
    if (left.count() <= 0)
        return false;
    pollfd p{fd_, events, 0};
    return poll(&p, 1, static_cast<int>(left.count())) == 1 && (p.revents & events) != 0;
}

bool TBoundedStream::Fill() {
    if (received_ >= maxRequest_ || !Wait(POLLIN))
        return false;
    const std::size_t room = std::min(buffer_.size(), maxRequest_ - received_);
    const ssize_t n = recv(fd_, buffer_.data(), room, MSG_DONTWAIT);
    if (n <= 0)
        return false;
    received_ += static_cast<std::size_t>(n);
    begin_ = 0;
    end_ = static_cast<std::size_t>(n);
    return true;
}

} // namespace protmon::cli
