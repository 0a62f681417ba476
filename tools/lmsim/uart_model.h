#pragma once

#include "model/byte_view.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace protmon::lmsim {

enum class UartParity : std::uint8_t { None, Even, Odd, Mark, Space };

// Rate and character frame of one side of an asynchronous serial line.
struct UartFraming {
    std::uint32_t baud = 38400;
    std::uint8_t dataBits = 8; // 5 to 8
    UartParity parity = UartParity::Even;
    std::uint8_t stopBits = 1;

    int BitsPerChar() const {
        return 1 + dataBits + (parity == UartParity::None ? 0 : 1) + stopBits;
    }
    double BitNs() const { return 1e9 / baud; }
    bool operator==(const UartFraming&) const = default;
};

// "8E1", "7E1", "8N1", "8O1" (data bits 5 to 8, parity N/E/O/M/S, stop bits 1 or 2).
std::optional<UartFraming> ParseUartFraming(std::string_view text, std::uint32_t baud);
std::string UartFramingText(const UartFraming& f);

// Whether a receiver set up as rx reads the characters a transmitter set up as tx sends
// unchanged. A receiver checks only the first stop bit, so its stop bit count does not matter.
bool ReadsUnchanged(const UartFraming& tx, const UartFraming& rx);

// One character as a UART receiver took it off the line, with its line status.
struct RxChar {
    std::uint8_t value = 0;
    bool parityError = false;
    bool framingError = false;
    bool isBreak = false; // all bits space through the stop bit
    bool operator==(const RxChar&) const = default;
};

// The line level a transmitter drives: mark while idle, and bursts of characters (start bit,
// data bits LSB first, parity, stop bits) back to back from each burst's start time.
class UartLine {
public:
    // A burst must not start before the previous one ended.
    void Send(double startNs, ByteView bytes, const UartFraming& framing);
    bool MarkAt(double ns) const;
    // Earliest time from ns on at which the line is space; nothing while it stays mark through
    // every burst sent so far.
    std::optional<double> NextSpace(double ns) const;
    // Earliest time from ns on at which the line is mark.
    double NextMark(double ns) const;
    double EndNs() const { return bursts_.empty() ? 0.0 : bursts_.back().EndNs(); }
    // Forgets bursts that ended before ns.
    void DropBefore(double ns);

private:
    struct Burst {
        double startNs = 0;
        double bitNs = 0;
        std::vector<std::uint8_t> bits; // 1 mark, 0 space
        double EndNs() const { return startNs + bitNs * static_cast<double>(bits.size()); }
        std::size_t IndexAt(double ns) const;
    };
    std::deque<Burst> bursts_;
};

// A UART receiver: a falling edge (space after mark) starts a character, the start bit is
// checked in its middle (a glitch is no start), data, parity and the first stop bit are sampled
// in the middle of their bit times at the receiver's own rate. A stop bit read as space is a
// framing error and is taken as the next start bit; after a break the receiver waits for mark.
class UartReceiver {
public:
    explicit UartReceiver(const UartFraming& framing, double fromNs = 0.0)
        : framing_(framing), huntNs_(fromNs) {}

    // Appends the characters whose last sample lies at or before knownNs, the time up to which
    // the line is known.
    void Receive(const UartLine& line, double knownNs, std::vector<RxChar>& out);
    const UartFraming& Framing() const { return framing_; }
    // Where the receiver looks for its next start bit; the line before it is no longer needed.
    double HuntNs() const { return huntNs_; }

private:
    RxChar Sample(const UartLine& line, double startNs, double& stopNs) const;

    UartFraming framing_;
    double huntNs_;
    bool waitMark_ = false;
};

// The characters a receiver set up as rx takes from bytes sent by tx as one burst, with the
// line idle before and after.
std::vector<RxChar> ReceiveBurst(ByteView bytes, const UartFraming& tx, const UartFraming& rx);

} // namespace protmon::lmsim
