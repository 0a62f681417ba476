#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace protmon {

// How a capture ended.
enum class CaptureEnd {
    Running,     // not ended yet
    Stopped,     // Stop, or the device stopped it (line monitor overrun)
    Count,       // the requested number of entries was recorded
    Time,        // the requested time ran out
    Signal,      // SIGINT or SIGTERM
    DeviceLost,  // the device went away
    Trigger,     // the trigger fired
    OutputError, // the printed rows could not be written
    WriteError,  // a recording file could not be written
};

// The closing account of one capture. Drop counters a source does not keep stay 0.
struct TCaptureSummary {
    long long Entries = 0;       // entries in the recording
    int RxErrors = 0;            // as the "RxErrors:" label counts them
    std::uint64_t RingDrops = 0; // frames dropped because a receive ring was full
    std::uint64_t SystemDrops =
        0;                  // datagrams the system dropped or cut before the program saw them
    bool Datagrams = false; // the source is a line monitor over UDP
    std::uint64_t BadDatagrams = 0; // datagrams from it with nothing usable in them
    CaptureEnd End = CaptureEnd::Running;
    double Seconds = 0;
};

// "count", "time", "signal", "device lost", ...
std::string_view CaptureEndText(CaptureEnd end);
// One line for people, ending in a newline.
std::string SummaryText(const TCaptureSummary& summary);
// "Bad datagrams: N" on a line of its own for a source over UDP; empty for the others.
std::string BadDatagramsText(const TCaptureSummary& summary);
// One JSON object for scripts, ending in a newline.
std::string SummaryJson(const TCaptureSummary& summary);

} // namespace protmon
