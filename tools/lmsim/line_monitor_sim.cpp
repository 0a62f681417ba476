#include "simulator.h"

namespace protmon::lmsim {

namespace {

// Frames queued per call, so commands are still read while streaming as fast as possible.
constexpr int kBurst = 256;
constexpr Clock::duration kBacklogRecheck = std::chrono::milliseconds(1);
// While nobody listens at the box's link rate, look again this often.
constexpr auto kIdleRecheck = std::chrono::milliseconds(10);
// A serial link is a byte stream: frames that are due together go out in one write.
constexpr int kFramesPerSerialWrite = 64;

BoxBehaviour BehaviourFrom(const LmsimOptions& o) {
    BoxBehaviour b;
    b.refusedCodes = o.refusedCodes;
    b.silent = o.silent;
    b.versionText = o.versionText;
    b.linkBaud = o.linkBaud;
    return b;
}

} // namespace

LineMonitorSim::LineMonitorSim(ILink& link, ITelegramSource& source, ITelegramSource* dinSource,
                               const LmsimOptions& options)
    : link_(link), source_(source), dinSource_(dinSource), box_(BehaviourFrom(options)),
      streamer_(FrameStreamer::Limits{options.count, options.overrunAfter}), pacer_(options.rate),
      framesPerWrite_(options.transport == Transport::Udp ? options.framesPerDatagram
                                                          : kFramesPerSerialWrite) {}

void LineMonitorSim::OnStartMonitoring(const BoxSettings& settings) {
    const bool ascii = settings.dataBits == 7 && dinSource_ != nullptr;
    streamer_.Start(settings, ascii ? *dinSource_ : source_);
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
        while (frames < due && frames < static_cast<std::uint64_t>(framesPerWrite_) &&
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
    // Unlimited: go on at once, or as soon as the transport has taken some of its backlog.
    if (pacer_.Unlimited())
        return link_.ReadyForMore() ? Clock::duration::zero() : kBacklogRecheck;
    return pacer_.UntilNext(Clock::now());
}

} // namespace protmon::lmsim
