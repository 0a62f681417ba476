#include "app/protmon-cli/metrics_server.h"

#include "session/metrics_exposition.h"

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <deque>
#include <httplib.h>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <vector>

namespace protmon::cli {

namespace {

// A scrape is one short request: a few workers serve it, a slow client is cut off quickly.
constexpr std::size_t kWorkers = 2;
constexpr std::size_t kQueuedConnections = 4;
constexpr time_t kTimeoutSeconds = 2;
constexpr std::size_t kKeepAliveRequests = 100;
constexpr std::size_t kMaxBody = 1024;

// Threads of the server take no signal: SIGINT, SIGTERM and SIGHUP stay with the recording, and
// a client that goes away mid-answer gives EPIPE instead of ending the program.
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

// The library's pool queues accepted connections without limit; this one holds a few and,
// beyond them, lets the accepting thread serve the connection itself: while it does, nothing
// more is accepted and the system's backlog refuses the rest.
class TBoundedPool : public httplib::TaskQueue {
public:
    TBoundedPool() {
        for (std::size_t i = 0; i < kWorkers; ++i)
            threads_.emplace_back([this] { Work(); });
    }
    ~TBoundedPool() override = default;

    void enqueue(std::function<void()> fn) override {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!stopping_ && jobs_.size() < kQueuedConnections) {
                jobs_.push_back(std::move(fn));
                lock.unlock();
                wake_.notify_one();
                return;
            }
        }
        fn();
    }

    void shutdown() override {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }

private:
    void Work() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
                if (jobs_.empty())
                    return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            job();
        }
    }

    std::vector<std::thread> threads_;
    std::deque<std::function<void()>> jobs_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

} // namespace

struct TMetricsServer::TImpl {
    explicit TImpl(const TSnapshotBox& b) : box(b) {}

    const TSnapshotBox& box;
    httplib::Server server;
    std::thread listener;
};

TMetricsServer::TMetricsServer(const TSnapshotBox& box) : impl_(std::make_unique<TImpl>(box)) {
    httplib::Server& s = impl_->server;
    s.new_task_queue = [] { return new TBoundedPool; };
    // The library's default adds SO_REUSEPORT, with which a second recorder given the same port
    // would share it silently and scrapes would reach either; one owner per port.
    s.set_socket_options([](socket_t sock) {
        const int on = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    });
    s.set_read_timeout(kTimeoutSeconds, 0);
    s.set_write_timeout(kTimeoutSeconds, 0);
    s.set_keep_alive_timeout(kTimeoutSeconds);
    s.set_keep_alive_max_count(kKeepAliveRequests);
    s.set_payload_max_length(kMaxBody);
    s.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "GET")
            return httplib::Server::HandlerResponse::Unhandled;
        res.status = 405;
        res.set_header("Allow", "GET");
        res.set_content("only GET\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    });
    const TSnapshotBox& snapshots = box;
    s.Get("/metrics", [&snapshots](const httplib::Request& req, httplib::Response& res) {
        const std::shared_ptr<const TMetricsSnapshot> snapshot = snapshots.Newest();
        if (!snapshot) {
            res.status = 503;
            res.set_content("starting\n", "text/plain");
            return;
        }
        const ExpositionFormat format = ExpositionFormatFor(req.get_header_value("Accept"));
        res.set_content(MetricsExposition(*snapshot, std::chrono::steady_clock::now(), format),
                        ExpositionContentType(format));
    });
}

TMetricsServer::~TMetricsServer() {
    Stop();
}

bool TMetricsServer::Start(const std::string& host, int port, std::string& error) {
    httplib::Server& s = impl_->server;
    if (!s.bind_to_port(host, port)) {
        error = "--metrics: cannot listen on " + host + ":" + std::to_string(port) + ": " +
                std::strerror(errno);
        return false;
    }
    const TSignalsBlocked blocked;
    impl_->listener = std::thread([&s] { s.listen_after_bind(); });
    return true;
}

void TMetricsServer::Stop() {
    if (!impl_->listener.joinable())
        return;
    impl_->server.stop();
    impl_->listener.join();
}

} // namespace protmon::cli
