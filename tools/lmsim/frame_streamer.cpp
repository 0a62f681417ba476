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

void FrameStreamer::Start(const BoxSettings& settings, ITelegramSource& source) {
    settings_ = settings;
    source_ = &source;
    active_ = true;
    overrun_ = false;
    sent_ = 0;
    source_->Restart();
}

void FrameStreamer::AdvanceClock(const BusTelegram& t) {
    std::uint64_t baud = BusBaudOfIndex(settings_.busBaudIndex);
    if (baud == 0)
        baud = 38400;
    const std::uint64_t bitsPerChar = 2u + settings_.dataBits + (settings_.parity == 2 ? 0u : 1u);
    clockNs_ += std::uint64_t{t.idleUs} * 1000u + t.bytes.size() * bitsPerChar * 1000000000u / baud;
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
    if (source_ == nullptr || !source_->Next(t)) {
        active_ = false;
        return false;
    }
    if (t.bytes.size() > kMaxTelegram)
        t.bytes.resize(kMaxTelegram);
    AdvanceClock(t);
    // In the single-line modes the box cannot tell master from drive.
    const bool oneLine = settings_.handshake == 2 || settings_.handshake == 4;
    AppendHeader(out, t.bytes.size(), oneLine ? 0 : t.channel, TimeStamp());
    out.insert(out.end(), t.bytes.begin(), t.bytes.end());
    ++sent_;
    return true;
}

} // namespace protmon::lmsim
