#include "uart_model.h"

#include <bit>
#include <cmath>

namespace protmon::lmsim {

namespace {

// A sample that falls exactly on a bit boundary (a receiver at half the rate) reads the later
// bit, whatever the rounding of the times.
constexpr double kBoundarySlack = 1e-6;

constexpr std::string_view kParityLetters = "NEOMS";

bool HasParity(const UartFraming& f) {
    return f.parity != UartParity::None;
}

// The parity bit a transmitter sends for value (already cut to the data bits).
std::uint8_t ParityBit(UartParity parity, std::uint8_t value) {
    const auto ones = static_cast<std::uint8_t>(std::popcount(value) & 1);
    switch (parity) {
    case UartParity::Even:
        return ones;
    case UartParity::Odd:
        return static_cast<std::uint8_t>(ones ^ 1u);
    case UartParity::Mark:
        return 1;
    default:
        return 0;
    }
}

std::uint8_t DataMask(const UartFraming& f) {
    return static_cast<std::uint8_t>((1u << f.dataBits) - 1u);
}

} // namespace

std::optional<UartFraming> ParseUartFraming(std::string_view text, std::uint32_t baud) {
    if (text.size() != 3 || text[0] < '5' || text[0] > '8' || (text[2] != '1' && text[2] != '2'))
        return std::nullopt;
    const char p = static_cast<char>(text[1] >= 'a' ? text[1] - ('a' - 'A') : text[1]);
    const std::size_t parity = kParityLetters.find(p);
    if (parity == std::string_view::npos || baud == 0)
        return std::nullopt;
    UartFraming f;
    f.baud = baud;
    f.dataBits = static_cast<std::uint8_t>(text[0] - '0');
    f.parity = static_cast<UartParity>(parity);
    f.stopBits = static_cast<std::uint8_t>(text[2] - '0');
    return f;
}

std::string UartFramingText(const UartFraming& f) {
    return {static_cast<char>('0' + f.dataBits), kParityLetters[static_cast<std::size_t>(f.parity)],
            static_cast<char>('0' + f.stopBits)};
}

bool ReadsUnchanged(const UartFraming& tx, const UartFraming& rx) {
    return tx.baud == rx.baud && tx.dataBits == rx.dataBits && tx.parity == rx.parity;
}

std::size_t UartLine::Burst::IndexAt(double ns) const {
    if (ns <= startNs)
        return 0;
    return static_cast<std::size_t>(std::floor((ns - startNs) / bitNs + kBoundarySlack));
}

void UartLine::Send(double startNs, ByteView bytes, const UartFraming& framing) {
    if (bytes.empty())
        return;
    Burst b;
    b.startNs = startNs;
    b.bitNs = framing.BitNs();
    b.bits.reserve(bytes.size() * static_cast<std::size_t>(framing.BitsPerChar()));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto value = static_cast<std::uint8_t>(bytes.at(i) & DataMask(framing));
        b.bits.push_back(0);
        for (int bit = 0; bit < framing.dataBits; ++bit)
            b.bits.push_back(static_cast<std::uint8_t>((value >> bit) & 1u));
        if (HasParity(framing))
            b.bits.push_back(ParityBit(framing.parity, value));
        b.bits.insert(b.bits.end(), framing.stopBits, 1);
    }
    bursts_.push_back(std::move(b));
}

bool UartLine::MarkAt(double ns) const {
    for (const Burst& b : bursts_) {
        if (ns < b.startNs)
            return true;
        const std::size_t i = b.IndexAt(ns);
        if (i < b.bits.size())
            return b.bits[i] != 0;
    }
    return true;
}

std::optional<double> UartLine::NextSpace(double ns) const {
    for (const Burst& b : bursts_) {
        if (b.EndNs() <= ns)
            continue;
        for (std::size_t i = b.IndexAt(ns); i < b.bits.size(); ++i) {
            if (b.bits[i] == 0)
                return std::max(ns, b.startNs + b.bitNs * static_cast<double>(i));
        }
    }
    return std::nullopt;
}

double UartLine::NextMark(double ns) const {
    for (const Burst& b : bursts_) {
        if (b.EndNs() <= ns)
            continue;
        if (ns < b.startNs)
            return ns;
        std::size_t i = b.IndexAt(ns);
        while (i < b.bits.size() && b.bits[i] == 0)
            ++i;
        const double at = std::max(ns, b.startNs + b.bitNs * static_cast<double>(i));
        if (i < b.bits.size())
            return at;
        ns = at; // space to the end of the burst: the idle line or the next burst follows
    }
    return ns;
}

void UartLine::DropBefore(double ns) {
    while (!bursts_.empty() && bursts_.front().EndNs() < ns)
        bursts_.pop_front();
}

RxChar UartReceiver::Sample(const UartLine& line, double startNs, double& stopNs) const {
    const double bit = framing_.BitNs();
    RxChar c;
    int ones = 0;
    for (int i = 0; i < framing_.dataBits; ++i) {
        if (line.MarkAt(startNs + bit * (1.5 + i))) {
            c.value = static_cast<std::uint8_t>(c.value | (1u << i));
            ++ones;
        }
    }
    double next = startNs + bit * (1.5 + framing_.dataBits);
    bool parityBit = false;
    if (HasParity(framing_)) {
        parityBit = line.MarkAt(next);
        c.parityError = parityBit != (ParityBit(framing_.parity, c.value) != 0);
        next += bit;
    }
    stopNs = next;
    c.framingError = !line.MarkAt(stopNs);
    c.isBreak = c.framingError && c.value == 0 && !parityBit;
    if (c.isBreak)
        c.parityError = false;
    return c;
}

void UartReceiver::Receive(const UartLine& line, double knownNs, std::vector<RxChar>& out) {
    const double bit = framing_.BitNs();
    const double lastSample = bit * (1.5 + framing_.dataBits + (HasParity(framing_) ? 1 : 0));
    for (;;) {
        if (waitMark_) {
            const double mark = line.NextMark(huntNs_);
            if (mark > knownNs)
                return;
            huntNs_ = mark;
            waitMark_ = false;
        }
        const std::optional<double> start = line.NextSpace(huntNs_);
        if (!start || *start + lastSample > knownNs)
            return;
        if (line.MarkAt(*start + bit * 0.5)) {
            huntNs_ = *start + bit * 0.5; // too short for a start bit
            continue;
        }
        double stopNs = 0;
        out.push_back(Sample(line, *start, stopNs));
        huntNs_ = stopNs;
        waitMark_ = out.back().isBreak;
    }
}

std::vector<RxChar> ReceiveBurst(ByteView bytes, const UartFraming& tx, const UartFraming& rx) {
    UartLine line;
    line.Send(0.0, bytes, tx);
    UartReceiver receiver(rx);
    std::vector<RxChar> out;
    // Long enough after the burst for a receiver character that started inside it to end.
    receiver.Receive(line, line.EndNs() + rx.BitNs() * rx.BitsPerChar() * 2.0, out);
    return out;
}

} // namespace protmon::lmsim
