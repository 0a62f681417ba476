#include "app/protmon-cli/metrics_server.h"

#include "app/protmon-cli/metrics_connection.h"
#include "session/metrics_exposition.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <httplib.h>
#include <mutex>
#include <netdb.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace protmon::cli {

namespace {

using Clock = std::chrono::steady_clock;

// A scrape is one short request: two workers serve it, a few connections wait, a slow client is
// cut off. Prometheus' default scrape timeout is ten seconds.
constexpr std::size_t kWorkers = 2;
constexpr std::size_t kQueuedConnections = 8;
constexpr auto kExchangeTime = std::chrono::seconds(3);
constexpr std::size_t kMaxRequestBytes = 16 * 1024;
constexpr std::size_t kMaxBody = 1024;
constexpr int kBacklog = 16;

// Threads of the server take no signal: SIGINT, SIGTERM and SIGHUP stay with the recording.
class TSignalsBlocked {
public:
    TSignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &old_);
    }
    ~TSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    TSignalsBlocked(const TSignalsBlocked&) = delete;
    TSignalsBlocked& operator=(const TSignalsBlocked&) = delete;

private:
    sigset_t old_;
};

// The library's request parsing, routing and answer writing, on connections we accept.
class THttp : public httplib::Server {
public:
    void Serve(int fd) {
        TBoundedStream stream(fd, Clock::now() + kExchangeTime, kMaxRequestBytes);
        bool closed = false;
        process_request(stream, true, closed, [](httplib::Request&) {});
    }
};

void SetUpRoutes(THttp& http, const TSnapshotBox& box) {
    http.set_payload_max_length(kMaxBody);
    http.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "GET")
            return httplib::Server::HandlerResponse::Unhandled;
        res.status = 405;
        res.set_header("Allow", "GET");
        res.set_content("only GET\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    });
    http.Get("/metrics", [&box](const httplib::Request& req, httplib::Response& res) {
        const std::shared_ptr<const TMetricsSnapshot> snapshot = box.Newest();
        if (!snapshot) {
            res.status = 503;
            res.set_content("starting\n", "text/plain");
            return;
        }
        const ExpositionFormat format = ExpositionFormatFor(req.get_header_value("Accept"));
        res.set_content(MetricsExposition(*snapshot, Clock::now(), format),
                        ExpositionContentType(format));
    });
}

// A listening socket of our own: the library's adds SO_REUSEPORT, with which a second recorder
// given the same port would share it silently and scrapes would reach either.
int Listen(const std::string& host, int port, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        error = gai_strerror(rc);
        return -1;
    }
    int fd = -1;
    error = "no address";
    for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        const int on = 1;
        // Not blocking: a connection gone between poll and accept must not hold the thread.
        if (fd >= 0 && (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
                        fcntl(fd, F_SETFL, O_NONBLOCK) != 0 ||
                        bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, kBacklog) != 0)) {
            error = std::strerror(errno);
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

} // namespace

struct TMetricsServer::TImpl {
    explicit TImpl(const TSnapshotBox& box) { SetUpRoutes(http, box); }

    void Accept() {
        std::array<pollfd, 2> p{{{listener, POLLIN, 0}, {wake[0], POLLIN, 0}}};
        while (poll(p.data(), p.size(), -1) >= 0 || errno == EINTR) {
            if (p[1].revents != 0)
                return;
            if ((p[0].revents & POLLIN) == 0)
                continue;
            const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                // Out of descriptors the pending connection stays: wait instead of spinning.
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            std::unique_lock<std::mutex> lock(mutex);
            if (queue.size() >= kQueuedConnections) {
                lock.unlock();
                close(fd); // busy: the client is refused rather than kept waiting
                continue;
            }
            queue.push_back(fd);
            lock.unlock();
            ready.notify_one();
        }
    }

    void Work() {
        for (;;) {
            int fd = -1;
            {
                std::unique_lock<std::mutex> lock(mutex);
                ready.wait(lock, [this] { return stopping || !queue.empty(); });
                if (stopping)
                    return;
                fd = queue.front();
                queue.pop_front();
                active.push_back(fd);
            }
            http.Serve(fd);
            {
                const std::lock_guard<std::mutex> lock(mutex);
                active.erase(std::find(active.begin(), active.end(), fd));
            }
            shutdown(fd, SHUT_RDWR);
            close(fd);
        }
    }

    THttp http;
    int listener = -1;
    std::array<int, 2> wake{-1, -1};
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<int> queue;
    std::vector<int> active; // being served; Stop cuts them short
    bool stopping = false;
};

TMetricsServer::TMetricsServer(const TSnapshotBox& box) : impl_(std::make_unique<TImpl>(box)) {}

TMetricsServer::~TMetricsServer() {
    Stop();
}

bool TMetricsServer::Start(const std::string& host, int port, std::string& error) {
    TImpl& s = *impl_;
    std::string reason;
    s.listener = Listen(host, port, reason);
    if (s.listener < 0 || pipe2(s.wake.data(), O_CLOEXEC) != 0) {
        error = "--metrics: cannot listen on " + host + ":" + std::to_string(port) + ": " +
                (s.listener < 0 ? reason : std::strerror(errno));
        return false;
    }
    const TSignalsBlocked blocked;
    s.threads.emplace_back([&s] { s.Accept(); });
    for (std::size_t i = 0; i < kWorkers; ++i)
        s.threads.emplace_back([&s] { s.Work(); });
    return true;
}

void TMetricsServer::Stop() {
    TImpl& s = *impl_;
    if (s.threads.empty())
        return;
    const char byte = 0;
    (void)!::write(s.wake[1], &byte, 1);
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        s.stopping = true;
        // A client in the middle of an exchange does not hold the recorder's exit.
        for (const int fd : s.active)
            shutdown(fd, SHUT_RDWR);
    }
    s.ready.notify_all();
    for (std::thread& t : s.threads)
        t.join();
    s.threads.clear();
    for (const int fd : s.queue)
        close(fd);
    s.queue.clear();
    for (const int fd : {s.listener, s.wake[0], s.wake[1]})
        if (fd >= 0)
            close(fd);
}

} // namespace protmon::cli
