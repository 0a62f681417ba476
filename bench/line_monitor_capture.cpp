// The whole receive path of a capture with the line monitor (listener thread or serial port,
// frame ring, frame reader, TRX5 assembly into the telegram list), fed by the simulator at a
// given frame rate, driven by a 1 ms poll tick as the window drives it. Each run streams a fixed
// number of frames and reports how many were recorded; "lost" must stay 0 at the rates the
// capture is to sustain.

#include "../tests/support/lmsim_process.h"
#include "bench_lmsim.h"
#include "capture/capture_control.h"
#include "capture/line_monitor.h"
#include "capture/serial_com.h"
#include "capture/udp_source.h"

#include <benchmark/benchmark.h>
#include <climits>
#include <cstdlib>
#include <memory>
#include <thread>

using namespace protmon;
using protmon::testing::LmsimProcess;

namespace {

using protmon::bench::LmsimPath;

struct TRun {
    int recorded = 0;
    int rxErrors = 0;
    double seconds = 0;
};

TRun Capture(bool udpLink, int rate, int count) {
    std::vector<std::string> args = {
        "--rate", std::to_string(rate), "--count", std::to_string(count), "--bad-bcc-permille",
        "0"};
    if (udpLink)
        args.insert(args.begin(), {"--udp", "0"});
    else
        args.insert(args.begin(), "--pty");
    LmsimProcess box(LmsimPath(), args);
    TTelegramList list;
    list.SetBufferDepth(count);
    TCaptureSettings settings;
    TSerialCom serial;
    TCaptureLink link(serial);
    TSilentHost host;
    TCaptureControl control(list, link, settings, host);
    TLineMonitor lm(control, host);
    lm.Connect();
    std::unique_ptr<TUdpSource> udp;
    if (udpLink) {
        udp = std::make_unique<TUdpSource>(ParseUdpArgument("127.0.0.1:" + box.FirstLine()));
        ConnectUdpSource(control, *udp);
    } else {
        settings.PortText = box.FirstLine();
        control.SetMonitorBox(true);
        settings.BaudIndex = 7; // 115200, as fast as the box's link goes
    }
    TRun run;
    if (!control.StartCapture())
        return run;
    const auto start = std::chrono::steady_clock::now();
    auto lastGrowth = start;
    while (list.Count() + control.RxErrorCount() < count &&
           std::chrono::steady_clock::now() - lastGrowth < std::chrono::milliseconds(500)) {
        const int before = list.Count();
        control.PollTick();
        if (list.Count() != before)
            lastGrowth = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    run.seconds = std::chrono::duration<double>(lastGrowth - start).count();
    run.recorded = list.Count();
    run.rxErrors = control.RxErrorCount();
    control.StopCapture();
    return run;
}

void Report(benchmark::State& state, const TRun& run, int count) {
    state.counters["recorded"] = run.recorded;
    state.counters["lost"] = count - run.recorded;
    state.counters["rx_errors"] = run.rxErrors;
    state.counters["frames_per_s"] = run.seconds > 0 ? run.recorded / run.seconds : 0;
}

// Arg: frames per second asked of the box (0: as fast as it can send).
void BM_UdpCapture(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    const int count = 300000;
    TRun run;
    for (auto _ : state)
        run = Capture(true, rate, count);
    Report(state, run, count);
}
BENCHMARK(BM_UdpCapture)
    ->Arg(50000)
    ->Arg(100000)
    ->Arg(150000)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// A 1 Mbaud bus carries 100000 bytes a second; the generated telegrams average about 12 bytes,
// so about 8500 frames a second fill it. The pty link is asked for more than that.
void BM_PtyCapture(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    const int count = rate > 0 ? rate * 3 : 100000;
    TRun run;
    for (auto _ : state)
        run = Capture(false, rate, count);
    Report(state, run, count);
}
BENCHMARK(BM_PtyCapture)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace
