#pragma once

#include "session/recorder_metrics.h"

#include <memory>
#include <string>

namespace protmon::cli {

// Serves GET /metrics from the newest snapshot of a box, on threads of its own, with bounded
// work: two workers, a short queue of accepted connections (a connection beyond it is closed at
// once), one request per connection with at most 16 KiB of request and three seconds for the
// whole exchange. A slow, huge or endless request is cut off; the recording never waits for a
// scrape, which only formats a snapshot.
class TMetricsServer {
public:
    explicit TMetricsServer(const TSnapshotBox& box);
    ~TMetricsServer();
    TMetricsServer(const TMetricsServer&) = delete;
    TMetricsServer& operator=(const TMetricsServer&) = delete;

    // Binds (a port another program listens on is refused) and starts serving; false with the
    // reason otherwise.
    bool Start(const std::string& host, int port, std::string& error);
    void Stop();

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

} // namespace protmon::cli
