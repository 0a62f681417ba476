#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace protmon {

// Result codes of the port and device operations.
enum PortResult : int {
    kPortOk = 0,
    kPortRefused = -1,    // the device refused a command
    kPortOpenFailed = -2, // cannot be opened or configured; also a read that failed (device gone)
    kPortBusy = -3,       // already open, or no device given
    kPortNotOpen = -4,
    kPortNoAnswer = -10,
    kPortClosed = -100, // the port layer's port-closed mark is set
};

// Latched receive errors; when several occurred, parity wins over framing over overrun.
enum RxError : int { kRxNone = 0, kRxParity = -7, kRxFraming = -8, kRxOverrun = -9 };

// Event mask bit handed to the event handler once everything written has left the transmitter.
constexpr std::uint32_t kEvTxEmpty = 4;

// Called on a device thread (for the serial port, the transmitter-empty thread).
using PortEventHandler = std::function<void(std::uint32_t eventMask)>;

// A byte source and sink behind the port layer: the serial port, a memory device fed by a file or
// a test, or a datagram source. Every operation reports by result code and never blocks for data.
class IPortDevice {
public:
    virtual ~IPortDevice() = default;
    // parity: 'E', 'O', 'M', 'S', anything else none. stopCode: 0 one, 1 one and a half, 2 two.
    // Returns kPortOk, kPortOpenFailed or kPortBusy.
    virtual int Open(const std::string& device, int baud, int dataBits, char parity,
                     int stopCode) = 0;
    // errno behind the last failed Open (EBUSY when another program holds the device); 0 when
    // the device gives none.
    virtual int LastOpenErrno() const { return 0; }
    // kPortOk or kPortNotOpen.
    virtual int Close() = 0;
    virtual bool IsOpen() const = 0;
    // Copies what has arrived, at most `maximum` bytes, into `destination`; `count` 0 when nothing
    // is queued. Returns kPortOk, kPortNotOpen, or kPortOpenFailed when the device failed or went
    // away (count 0 then).
    virtual int Read(std::uint8_t* destination, int maximum, int& count) = 0;
    // Queues bytes for sending; returns the number accepted or kPortNotOpen.
    virtual int Write(const std::uint8_t* source, int count) = 0;
    // The latched receive error (RxError), cleared by the call; kRxNone when closed.
    virtual int TakeError() = 0;
    // Discards everything received and the latched error.
    virtual void Purge() = 0;
    // Modem lines; kPortOk or kPortNotOpen. A device without them is not an error.
    virtual int SetRts() = 0;
    virtual int ClearRts() = 0;
    virtual int ClearDtr() = 0;
    // Installs (or with an empty handler removes) the event handler for the events in `mask`.
    virtual int SetEventHandler(std::uint32_t mask, PortEventHandler handler) = 0;
};

} // namespace protmon
