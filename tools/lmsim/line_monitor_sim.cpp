#include "simulator.h"

namespace protmon::lmsim {

namespace {

// Frames queued per call, so commands are still read while streaming as fast as possible.
constexpr int kBurst = 256;
// While nobody listens at the box's link rate, look again this often.
constexpr auto kIdleRecheck = std::chrono::milliseconds(10);

BoxBehaviour BehaviourFrom(const LmsimOptions& o) {
    BoxBehaviour b;
    b.refusedCodes = o.refusedCodes;
    b.silent = o.silent;
    b.versionText = o.versionText;
    b.linkBaud = o.linkBaud;
    return b;
}

} // namespace

LineMonitorSim::LineMonitorSim(ILink& link, ITelegramSource& source, const LmsimOptions& options)
    : link_(link), box_(BehaviourFrom(options)),
      streamer_(source, FrameStreamer::Limits{options.count, options.overrunAfter}),
      pacer_(options.rate), framesPerDatagram_(options.framesPerDatagram) {}

void LineMonitorSim::OnStartMonitoring(const BoxSettings& settings) {
    streamer_.Start(settings);
    pacer_.Reset(Clock::now());
}

std::optional<Clock::duration> LineMonitorSim::Produce(Clock::time_point now) {
    if (!streamer_.Active())
        return std::nullopt;
    if (!link_.PeerListening())
        return kIdleRecheck;
    std::uint64_t due = pacer_.Due(now);
    for (int burst = 0; burst < kBurst && due > 0 && link_.ReadyForMore(); ++burst) {
        batch_.clear();
        std::uint64_t frames = 0;
        while (frames < due && frames < static_cast<std::uint64_t>(framesPerDatagram_) &&
               streamer_.AppendFrame(batch_))
            ++frames;
        if (frames == 0)
            break;
        link_.QueueFrames(ByteView(batch_.data(), batch_.size()));
        link_.Flush();
        pacer_.Done(frames);
        due -= frames;
    }
    if (streamer_.OverrunReported())
        box_.StopMonitoring();
    if (!streamer_.Active())
        return std::nullopt;
    if (pacer_.Unlimited())
        return link_.ReadyForMore() ? std::optional<Clock::duration>(Clock::duration::zero())
                                    : std::nullopt;
    return pacer_.UntilNext(Clock::now());
}

} // namespace protmon::lmsim
