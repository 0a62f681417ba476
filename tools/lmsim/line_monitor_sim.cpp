#include "simulator.h"

#include <algorithm>

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
      streamer_(FrameStreamer::Limits{options.count, options.overrunAfter}, options.plantLine),
      pacer_(options.rate), busTimePacing_(options.plant && options.rate == 0),
      framesPerWrite_(options.transport == Transport::Udp ? options.framesPerDatagram
                                                          : kFramesPerSerialWrite) {}

void LineMonitorSim::OnStartMonitoring(const BoxSettings& settings) {
    const bool ascii = settings.dataBits == 7 && dinSource_ != nullptr;
    streamer_.Start(settings, ascii ? *dinSource_ : source_);
    pacer_.Reset(Clock::now());
    runStart_ = Clock::now();
}

std::optional<Clock::duration> LineMonitorSim::Produce(Clock::time_point now) {
    if (!streamer_.Active())
        return std::nullopt;
    if (!link_.PeerListening())
        return kIdleRecheck;
    if (busTimePacing_)
        return ProduceOnBusTime(now);
    std::uint64_t due = pacer_.Due(now);
    for (int burst = 0; burst < kBurst && due > 0 && link_.ReadyForMore(); ++burst) {
        batch_.clear();
        std::uint64_t frames = 0;
        while (frames < due && frames < static_cast<std::uint64_t>(framesPerWrite_) &&
               streamer_.AppendFrame(batch_))
            ++frames;
        if (frames == 0)
            break;
        // A box out of tune with the plant may make nothing of a telegram.
        if (!batch_.empty())
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

// Each frame leaves when the bus time of its stamp has passed since the start, so the stamps
// and the wall clock agree; frames that are due together share a write.
std::optional<Clock::duration> LineMonitorSim::ProduceOnBusTime(Clock::time_point now) {
    const auto elapsed = static_cast<std::uint64_t>(std::max<std::int64_t>(
        0, std::chrono::duration_cast<std::chrono::nanoseconds>(now - runStart_).count()));
    std::optional<std::uint64_t> next = streamer_.NextFrameClockNs();
    for (int burst = 0; burst < kBurst && next && *next <= elapsed && link_.ReadyForMore();
         ++burst) {
        batch_.clear();
        int frames = 0;
        while (frames < framesPerWrite_ && next && *next <= elapsed &&
               streamer_.AppendFrame(batch_)) {
            ++frames;
            next = streamer_.NextFrameClockNs();
        }
        if (frames == 0)
            break;
        // A box out of tune with the plant may make nothing of a telegram.
        if (!batch_.empty())
            link_.QueueFrames(ByteView(batch_.data(), batch_.size()));
        link_.Flush();
    }
    if (streamer_.OverrunReported())
        box_.StopMonitoring();
    next = streamer_.NextFrameClockNs();
    if (!next)
        return std::nullopt;
    if (*next <= elapsed)
        return link_.ReadyForMore() ? Clock::duration::zero() : kBacklogRecheck;
    return std::chrono::nanoseconds(*next - elapsed);
}

} // namespace protmon::lmsim
