#include "frame_streamer.h"

namespace protmon::lmsim {

namespace {

constexpr std::size_t kMaxTelegram = 251;

void AppendHeader(std::vector<std::uint8_t>& out, std::size_t telegramBytes, std::uint8_t channel,
                  std::uint16_t stamp) {
    out.insert(out.end(),
               {0x1B, 0x40, 0x1B, static_cast<std::uint8_t>(telegramBytes + 4), channel,
                static_cast<std::uint8_t>(stamp >> 8), static_cast<std::uint8_t>(stamp)});
}

} // namespace

UartFraming BoxReceiver(const BoxSettings& settings) {
    UartFraming f;
    f.baud = BusBaudOfIndex(settings.busBaudIndex);
    f.dataBits = settings.dataBits;
    f.parity = settings.parity == 2   ? UartParity::None
               : settings.parity == 1 ? UartParity::Odd
                                      : UartParity::Even;
    return f;
}

std::vector<std::uint8_t> BoxReception(ByteView telegram, const UartFraming& tx,
                                       const UartFraming& rx) {
    std::vector<std::uint8_t> kept;
    if (rx.baud == 0)
        return kept;
    for (const RxChar& c : ReceiveBurst(telegram, tx, rx)) {
        if (!c.framingError && !c.isBreak && !c.parityError)
            kept.push_back(c.value);
    }
    return kept;
}

void FrameStreamer::Start(const BoxSettings& settings, ITelegramSource& source) {
    settings_ = settings;
    boxReceiver_.reset();
    if (plantLine_ && !ReadsUnchanged(*plantLine_, BoxReceiver(settings)))
        boxReceiver_ = BoxReceiver(settings);
    source_ = &source;
    active_ = true;
    overrun_ = false;
    sent_ = 0;
    runStartNs_ = clockNs_;
    held_.reset();
    source_->Restart();
}

// The idle time before the telegram and its own time on the bus.
std::uint64_t FrameStreamer::BusTimeNs(const BusTelegram& t) const {
    if (plantLine_) {
        return std::uint64_t{t.idleUs} * 1000u +
               t.bytes.size() * static_cast<std::uint64_t>(plantLine_->BitsPerChar()) *
                   1000000000u / plantLine_->baud;
    }
    std::uint64_t baud = BusBaudOfIndex(settings_.busBaudIndex);
    if (baud == 0)
        baud = 38400;
    const std::uint64_t bitsPerChar = 2u + settings_.dataBits + (settings_.parity == 2 ? 0u : 1u);
    return std::uint64_t{t.idleUs} * 1000u + t.bytes.size() * bitsPerChar * 1000000000u / baud;
}

bool FrameStreamer::LimitReached() const {
    return (limits_.count && sent_ >= *limits_.count) ||
           (limits_.overrunAfter && sent_ == *limits_.overrunAfter);
}

std::optional<std::uint64_t> FrameStreamer::NextFrameClockNs() {
    if (!active_)
        return std::nullopt;
    if (!held_ && !LimitReached() && source_ != nullptr) {
        BusTelegram t;
        if (source_->Next(t))
            held_ = std::move(t);
    }
    // The end of the run, or the overrun report, is due at once.
    const std::uint64_t now = clockNs_ - runStartNs_;
    return held_ ? now + BusTimeNs(*held_) : now;
}

std::uint16_t FrameStreamer::TimeStamp() const {
    const std::uint64_t res = ResolutionUsOfIndex(settings_.resolutionIndex);
    return static_cast<std::uint16_t>(clockNs_ / 1000u / (res == 0 ? 128u : res));
}

bool FrameStreamer::AppendFrame(std::vector<std::uint8_t>& out) {
    if (!active_)
        return false;
    if (limits_.count && sent_ >= *limits_.count) {
        active_ = false;
        return false;
    }
    if (limits_.overrunAfter && sent_ == *limits_.overrunAfter) {
        AppendHeader(out, 0, 0x81, TimeStamp());
        ++sent_;
        overrun_ = true;
        active_ = false;
        return true;
    }
    BusTelegram t;
    if (held_) {
        t = std::move(*held_);
        held_.reset();
    } else if (source_ == nullptr || !source_->Next(t)) {
        active_ = false;
        return false;
    }
    clockNs_ += BusTimeNs(t);
    if (boxReceiver_) {
        t.bytes =
            BoxReception(ByteView(t.bytes.data(), t.bytes.size()), *plantLine_, *boxReceiver_);
        if (t.bytes.empty()) {
            ++sent_;
            return true;
        }
    }
    if (t.bytes.size() > kMaxTelegram)
        t.bytes.resize(kMaxTelegram);
    // In the single-line modes the box cannot tell master from drive.
    const bool oneLine = settings_.handshake == 2 || settings_.handshake == 4;
    AppendHeader(out, t.bytes.size(), oneLine ? 0 : t.channel, TimeStamp());
    out.insert(out.end(), t.bytes.begin(), t.bytes.end());
    ++sent_;
    return true;
}

} // namespace protmon::lmsim
