// How fast the line monitor simulator delivers data frames over loopback UDP and a pty, read by a
// plain reader that only counts frames. Later capture work measures its own receive path
// against these figures (frames a capture must keep up with, and what the transport can carry).

#include "../tests/support/lmsim_process.h"
#include "bench_lmsim.h"

#include <benchmark/benchmark.h>
#include <climits>
#include <cstdlib>

using namespace protmon::testing;

namespace {

using protmon::bench::LmsimPath;

// Counts whole frames in a byte stream; carry keeps a frame cut between two reads.
class FrameCounter {
public:
    void Feed(const std::uint8_t* data, std::size_t size) {
        carry_.insert(carry_.end(), data, data + size);
        std::size_t pos = 0;
        while (carry_.size() - pos >= 4) {
            if (carry_[pos] != 0x1B || carry_[pos + 1] != 0x40 || carry_[pos + 2] != 0x1B) {
                ++bad_;
                ++pos;
                continue;
            }
            const std::size_t total = carry_[pos + 3] + 3u;
            if (carry_.size() - pos < total)
                break;
            ++frames_;
            pos += total;
        }
        carry_.erase(carry_.begin(), carry_.begin() + static_cast<std::ptrdiff_t>(pos));
    }
    std::uint64_t Frames() const { return frames_; }
    std::uint64_t BadBytes() const { return bad_; }

private:
    Bytes carry_;
    std::uint64_t frames_ = 0;
    std::uint64_t bad_ = 0;
};

constexpr int kIdleMs = 300;

// Streams count frames and reads them until all came or the line stayed idle; returns seconds.
double Stream(int fd, std::uint64_t count, FrameCounter& counter) {
    static std::uint8_t buf[65536];
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto start = std::chrono::steady_clock::now();
    auto last = start;
    while (counter.Frames() < count) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) {
            if (!WaitReadable(fd, kIdleMs))
                break;
            continue;
        }
        counter.Feed(buf, static_cast<std::size_t>(n));
        last = std::chrono::steady_clock::now();
    }
    return std::chrono::duration<double>(last - start).count();
}

void Report(benchmark::State& state, std::uint64_t count, const FrameCounter& c, double seconds,
            double bytes) {
    state.SetIterationTime(seconds > 0 ? seconds : 1e-9);
    state.counters["frames_per_s"] = seconds > 0 ? static_cast<double>(c.Frames()) / seconds : 0;
    state.counters["lost"] = static_cast<double>(count - std::min(count, c.Frames()));
    state.counters["bytes_per_s"] = seconds > 0 ? bytes / seconds : 0;
}

// Arguments: frames per second asked of lmsim (0 = as fast as possible), frames per datagram.
void BM_LmsimUdp(benchmark::State& state) {
    const std::uint64_t count = 200000;
    for (auto _ : state) {
        LmsimProcess box(LmsimPath(), {"--udp", "0", "--count", std::to_string(count), "--rate",
                                       std::to_string(state.range(0)), "--frames-per-datagram",
                                       std::to_string(state.range(1))});
        UdpPeer peer(box.Port());
        if (peer.Command(16, 1) != 0) {
            state.SkipWithError("lmsim did not start streaming");
            return;
        }
        FrameCounter counter;
        const double seconds = Stream(peer.Fd(), count, counter);
        // Average frame of generated traffic: about 18 bytes.
        Report(state, count, counter, seconds, static_cast<double>(counter.Frames()) * 18.0);
    }
}
BENCHMARK(BM_LmsimUdp)
    ->Args({0, 1})
    ->Args({0, 16})
    ->Args({100000, 1})
    ->Args({100000, 16})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A pty has no real line speed; a 1 Mbaud line carries about 90900 bytes/s at 11 bits a byte.
void BM_LmsimPty(benchmark::State& state) {
    const std::uint64_t count = 100000;
    for (auto _ : state) {
        LmsimProcess box(LmsimPath(), {"--pty", "--count", std::to_string(count)});
        PtyPeer peer(box.FirstLine(), 38400);
        if (peer.Command(16, 1) != 0) {
            state.SkipWithError("lmsim did not start streaming");
            return;
        }
        FrameCounter counter;
        const double seconds = Stream(peer.Fd(), count, counter);
        Report(state, count, counter, seconds, static_cast<double>(counter.Frames()) * 18.0);
        state.counters["bad_bytes"] = static_cast<double>(counter.BadBytes());
    }
}
BENCHMARK(BM_LmsimPty)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
