// Time to a verdict of the line detection on a busy plain bus played by the simulator on a pty,
// at each baud box rate and for TRX5 and DIN66019II (targets: at most 3 s from 9600 Bd up, at
// most 15 s at 1200 Bd). Each run starts a fresh simulator and detects from scratch; five runs
// give the median. The counter "correct" is 1 when the verdict named the bus's rate, framing and
// protocol.

#include "../tests/support/lmsim_process.h"
#include "bench_lmsim.h"
#include "detect/line_detector.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <unistd.h>

using namespace protmon;
using protmon::testing::LmsimProcess;

namespace {

using protmon::bench::LmsimPath;

void BM_TimeToVerdict(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    const bool din = state.range(1) != 0;
    const std::string expected =
        std::to_string(baud) + " Baud, " + (din ? "7E1, DIN66019II" : "8E1, TRX5");
    double correct = 0;
    for (auto _ : state) {
        state.PauseTiming();
        LmsimProcess sim(LmsimPath(), {"--pty", "--bus", "--protocol", din ? "din" : "trx5",
                                       "--bus-baud", std::to_string(baud), "--traffic", "busy"});
        TDetectRequest request;
        request.Port = sim.FirstLine();
        request.Seconds = 20;
        TSerialCom port;
        TSilentHost host;
        TLineDetector detector(port, host);
        state.ResumeTiming();
        const TDetectOutcome out = detector.Run(request, {});
        state.PauseTiming();
        correct += VerdictText(out.Verdict).rfind(expected, 0) == 0 ? 1 : 0;
        state.ResumeTiming();
    }
    state.counters["correct"] = benchmark::Counter(correct, benchmark::Counter::kAvgIterations);
}

void Rates(benchmark::internal::Benchmark* b) {
    for (int din : {0, 1}) {
        for (int baud : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
            b->Args({baud, din});
    }
}

} // namespace

BENCHMARK(BM_TimeToVerdict)
    ->Apply(Rates)
    ->ArgNames({"baud", "din"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
