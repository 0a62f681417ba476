#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <httplib.h>
#include <string>

namespace protmon::cli {

// One connection of the metrics endpoint as the HTTP library's request parser sees it, with a
// budget: the request may bring at most `maxRequest` bytes, and the whole exchange ends by its
// deadline however slowly the client sends or reads. The library's own socket stream limits each
// wait, not their sum, nor the number of header lines.
class TBoundedStream : public httplib::Stream {
public:
    using Clock = std::chrono::steady_clock;

    TBoundedStream(int fd, Clock::time_point deadline, std::size_t maxRequest)
        : fd_(fd), deadline_(deadline), maxRequest_(maxRequest) {}

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return fd_; }

private:
    bool Wait(short events) const;
    bool Fill();

    int fd_;
    Clock::time_point deadline_;
    std::size_t maxRequest_;
    std::array<char, 4096> buffer_{};
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t received_ = 0;
};

} // namespace protmon::cli
