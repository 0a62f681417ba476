#include "host_link_box.h"

#include <algorithm>
#include <array>

namespace protmon::lmsim {

namespace {

constexpr std::array<std::uint8_t, 3> kMarker = {0x1B, 0x40, 0x1B};
constexpr std::uint8_t kOk = 0;
constexpr std::uint8_t kRefused = 1;

constexpr std::array<std::uint32_t, 12> kLinkBauds = {1200, 2400,  4800, 9600,   19200, 38400,
                                                      0,    57600, 0,    115200, 0,     0};
constexpr std::array<std::uint32_t, 14> kBusBauds = {
    1200, 2400, 4800, 9600, 19200, 38400, 55500, 0, 100000, 0, 125000, 250000, 500000, 1000000};
constexpr std::array<std::uint32_t, 5> kResolutions = {1, 8, 128, 1024, 8192};

template <std::size_t N>
std::uint32_t Lookup(const std::array<std::uint32_t, N>& table, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N
               ? table[static_cast<std::size_t>(index)]
               : 0;
}

} // namespace

std::uint32_t LinkBaudOfIndex(int index) {
    return Lookup(kLinkBauds, index);
}
std::uint32_t BusBaudOfIndex(int index) {
    return Lookup(kBusBauds, index);
}
std::uint32_t ResolutionUsOfIndex(int index) {
    return Lookup(kResolutions, index);
}

HostLinkBox::HostLinkBox(BoxBehaviour behaviour) : behaviour_(std::move(behaviour)) {
    settings_.linkBaud = behaviour_.linkBaud;
    behaviour_.versionText.resize(11, ' ');
}

void HostLinkBox::Receive(ByteView bytes, IBoxEvents& events) {
    if (behaviour_.silent)
        return;
    pending_.insert(pending_.end(), bytes.data(), bytes.data() + bytes.size());
    for (;;) {
        const auto it =
            std::search(pending_.begin(), pending_.end(), kMarker.begin(), kMarker.end());
        if (it == pending_.end()) {
            // Keep a possible partial marker at the end; everything else is line noise.
            const std::size_t keep = std::min<std::size_t>(pending_.size(), kMarker.size() - 1);
            pending_.erase(pending_.begin(), pending_.end() - static_cast<std::ptrdiff_t>(keep));
            return;
        }
        pending_.erase(pending_.begin(), it);
        if (pending_.size() < 5)
            return;
        const std::uint8_t code = pending_[3];
        const std::uint8_t value = pending_[4];
        pending_.erase(pending_.begin(), pending_.begin() + 5);
        Execute(code, value, events);
    }
}

void HostLinkBox::Execute(std::uint8_t code, std::uint8_t value, IBoxEvents& events) {
    std::uint8_t status = kRefused;
    const bool refused = behaviour_.refusedCodes.count(code) != 0;
    const bool versionQuery = code >= 0x30 && code <= 0x3A;
    const BoxSettings before = settings_;
    // A query has no refusal status (every byte is a character): a refused one goes unanswered.
    if (versionQuery && refused)
        return;
    if (versionQuery)
        status = static_cast<std::uint8_t>(behaviour_.versionText[code - 0x30u]);
    else if (!refused)
        status = Configure(code, value);
    const std::array<std::uint8_t, 4> reply = {kMarker[0], kMarker[1], kMarker[2], status};
    events.OnReply(ByteView(reply.data(), reply.size()));
    if (versionQuery || status != kOk)
        return;
    if (code == 1 && settings_.linkBaud != before.linkBaud)
        events.OnLinkBaud(settings_.linkBaud);
    if (code == 16 && value == 0)
        events.OnStopMonitoring();
    else if (code == 16)
        events.OnStartMonitoring(settings_);
}

// Applies a configuration command; the status tells the monitor whether the value was accepted.
std::uint8_t HostLinkBox::Configure(std::uint8_t code, std::uint8_t value) {
    switch (code) {
    case 255:
        return value == 0 ? kOk : kRefused;
    case 1:
        if (LinkBaudOfIndex(value) == 0)
            return kRefused;
        settings_.linkBaud = LinkBaudOfIndex(value);
        return kOk;
    case 16:
        if (value > 4)
            return kRefused;
        settings_.handshake = value;
        return kOk;
    case 2:
        if (BusBaudOfIndex(value) == 0)
            return kRefused;
        settings_.busBaudIndex = value;
        return kOk;
    case 3:
        if (value != 7 && value != 8)
            return kRefused;
        settings_.dataBits = value;
        return kOk;
    case 4:
        if (value > 2)
            return kRefused;
        settings_.parity = value;
        return kOk;
    case 5:
        if (value > 4)
            return kRefused;
        settings_.resolutionIndex = value;
        return kOk;
    case 6:
        settings_.endOfTelegram = value;
        return kOk;
    default:
        return kRefused;
    }
}

} // namespace protmon::lmsim
