#pragma once

class QString;

namespace protmon {

class TMyMonitor;

// Benchmark hook (bench/window_live.sh): with PROTMON_BENCH_LIVE set, the window presses Start
// once it is up; a value containing "analysis" also opens "Statistics", "Response times..." and
// "Trends..." and adds the first two parameters of the first drive as curves as soon as the
// recording holds them. Nothing happens without the variable.
void StartBenchHook(TMyMonitor& window, const QString& mode);

} // namespace protmon
