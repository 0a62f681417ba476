#include "bus_sim.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace protmon::lmsim {

namespace {

// The generators' gaps are meant for 38400 Bd; at other rates they keep their share of the line.
constexpr double kGeneratorBaud = 38400.0;
// Light traffic: the master's pause before each request.
constexpr double kLightPauseNs = 100e6;
constexpr double kLightPauseChars = 40.0;
// Characters reach the peer in batches of about this much bus time, as from a UART's FIFO.
constexpr auto kBatch = std::chrono::milliseconds(2);
constexpr auto kStatsInterval = std::chrono::milliseconds(100);

double NsSince(Clock::time_point start, Clock::time_point now) {
    return static_cast<double>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now - start).count());
}

} // namespace

std::optional<UartFraming> ReceiverOf(const PeerLineSettings& peer, const UartFraming& bus) {
    if (peer.baud == 0)
        return std::nullopt;
    UartFraming rx;
    rx.baud = peer.baud;
    rx.stopBits = peer.stopBits;
    rx.dataBits = peer.dataBits.value_or(bus.dataBits);
    const bool parity = peer.parityEnabled.value_or(bus.parity != UartParity::None ||
                                                    peer.oddParity || peer.stickParity);
    if (!parity)
        rx.parity = UartParity::None;
    else if (peer.stickParity)
        rx.parity = peer.oddParity ? UartParity::Mark : UartParity::Space;
    else
        rx.parity = peer.oddParity ? UartParity::Odd : UartParity::Even;
    return rx;
}

PlainBusSim::PlainBusSim(ILink& link, ITelegramSource& source, const LmsimOptions& options)
    : link_(link), source_(source), bus_(options.plantLine.value_or(UartFraming{})),
      light_(options.lightTraffic), count_(options.count), statsFile_(options.statsFile),
      start_(Clock::now()) {
    FetchNext();
}

double PlainBusSim::GapNs(const BusTelegram& t) const {
    double gap = t.idleUs * 1000.0 * kGeneratorBaud / bus_.baud;
    if (light_ && t.channel == 0)
        gap += std::max(kLightPauseNs, kLightPauseChars * bus_.BitNs() * bus_.BitsPerChar());
    return gap;
}

void PlainBusSim::FetchNext() {
    next_.reset();
    if (count_ && sent_ >= *count_)
        return;
    BusTelegram t;
    if (!source_.Next(t))
        return;
    nextStartNs_ = lineFreeNs_ + GapNs(t);
    next_ = std::move(t);
}

// Telegrams whose first start bit is due go on the line whole; the receiver reads no further
// than the present.
void PlainBusSim::PutOnLine(double busNs) {
    while (next_ && nextStartNs_ <= busNs) {
        line_.Send(nextStartNs_, ByteView(next_->bytes.data(), next_->bytes.size()), bus_);
        lineFreeNs_ = std::max(lineFreeNs_, line_.EndNs());
        ++sent_;
        FetchNext();
    }
}

// A new setting on the peer's side restarts its receiver from now, as reprogramming a UART does.
void PlainBusSim::FollowPeer(double busNs) {
    const std::optional<PeerLineSettings> peer = link_.PeerLine();
    const std::optional<UartFraming> rx =
        peer ? ReceiverOf(*peer, bus_) : std::optional<UartFraming>(bus_);
    input_ = peer ? peer->input : TtyInputFlags{};
    if (!rx)
        receiver_.reset();
    else if (!receiver_ || receiver_->Framing() != *rx)
        receiver_.emplace(*rx, busNs);
}

std::optional<Clock::duration> PlainBusSim::Produce(Clock::time_point now) {
    const double busNs = NsSince(start_, now);
    PutOnLine(busNs);
    FollowPeer(busNs);
    chars_.clear();
    out_.clear();
    if (receiver_)
        receiver_->Receive(line_, busNs, chars_);
    for (const RxChar& c : chars_)
        DeliverAsKernel(c, input_, out_, counts_);
    if (!out_.empty()) {
        link_.QueueReply(ByteView(out_.data(), out_.size()));
        link_.Flush();
    }
    line_.DropBefore(receiver_ ? std::min(receiver_->HuntNs(), busNs) : busNs);
    WriteStats(false);
    // While characters are on the line, deliver them in batches; otherwise sleep until the
    // next telegram starts.
    const double charNs = bus_.BitNs() * bus_.BitsPerChar();
    if (busNs < lineFreeNs_ + 2.0 * charNs || !next_)
        return kBatch;
    const auto untilNext =
        std::chrono::nanoseconds(static_cast<std::int64_t>(nextStartNs_ - busNs));
    return std::max<Clock::duration>(untilNext, std::chrono::microseconds(100));
}

void PlainBusSim::WriteStats(bool force) {
    const Clock::time_point now = Clock::now();
    if (statsFile_.empty() || (written_ && *written_ == counts_) ||
        (!force && now - lastStats_ < kStatsInterval))
        return;
    lastStats_ = now;
    const std::string temp = statsFile_ + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << "rx " << counts_.rx << "\nframe " << counts_.frame << "\nparity " << counts_.parity
            << "\nbrk " << counts_.brk << "\noverrun " << counts_.overrun << "\nsetting "
            << (receiver_ ? std::to_string(receiver_->Framing().baud) + " " +
                                UartFramingText(receiver_->Framing())
                          : std::string("none"))
            << "\n";
        if (!out)
            return;
    }
    if (std::rename(temp.c_str(), statsFile_.c_str()) == 0)
        written_ = counts_;
}

void PlainBusSim::Finish() {
    WriteStats(true);
    std::fprintf(stderr,
                 "lmsim: %llu characters received, %llu framing errors, %llu parity errors, "
                 "%llu breaks, %llu overruns\n",
                 static_cast<unsigned long long>(counts_.rx),
                 static_cast<unsigned long long>(counts_.frame),
                 static_cast<unsigned long long>(counts_.parity),
                 static_cast<unsigned long long>(counts_.brk),
                 static_cast<unsigned long long>(counts_.overrun));
}

} // namespace protmon::lmsim
