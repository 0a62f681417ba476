#pragma once

#include "session/recorder_metrics.h"

#include <memory>
#include <string>

namespace protmon::cli {

// Serves GET /metrics from the newest snapshot of a box, on threads of its own. Bounded work: a
// few worker threads, a short queue of accepted connections (beyond it the accepting thread
// serves the connection itself, so no more are accepted meanwhile), read and write timeouts,
// limits on keep-alive and request bodies. A scrape only formats a snapshot; the recording never
// waits for it.
class TMetricsServer {
public:
    explicit TMetricsServer(const TSnapshotBox& box);
    ~TMetricsServer();
    TMetricsServer(const TMetricsServer&) = delete;
    TMetricsServer& operator=(const TMetricsServer&) = delete;

    // Binds and starts listening; false with the reason when the address cannot be bound.
    bool Start(const std::string& host, int port, std::string& error);
    void Stop();

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

} // namespace protmon::cli
