#pragma once

#include "capture/clock.h"
#include "capture/port_device.h"
#include "capture/receive_buffer.h"
#include "model/capture_settings.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>

namespace protmon {

// Data bits and parity letter the port is opened with for the current settings.
struct TPortFraming {
    int DataBits = 8;
    char Parity = 'E';
};
TPortFraming CaptureFraming(const TCaptureSettings& s);

// Baud rate of the baud box item (0 "1200 Baud" .. 7 "115200 Baud"); 38400 for an unknown index.
int BaudBoxRate(int baudIndex);

// The port layer: opens the source for capture, sends and receives through the current device,
// owns the receive buffer, and sends device commands byte by byte on the transmitter-empty event,
// restoring RTS after the guard time. The device is replaceable: the serial port, a memory device
// (file replay, tests) or a datagram source, which takes and gives whole datagrams.
class TCaptureLink {
public:
    static constexpr int kMaxCommand = 10;
    // One guard tick is 1/750 s.
    static constexpr std::chrono::nanoseconds kGuardTick{1'000'000'000 / 750};

    explicit TCaptureLink(IPortDevice& device) : device_(&device) {}
    TCaptureLink(const TCaptureLink&) = delete;
    TCaptureLink& operator=(const TCaptureLink&) = delete;

    // Replaces the device (only while no capture runs). A datagram device is always ready: opening
    // and closing the capture port do nothing, and each send or receive is one datagram.
    void SetDevice(IPortDevice& device, bool datagram = false);
    IPortDevice& Device() { return *device_; }
    bool Datagram() const { return datagram_; }

    // The clock of the guard time and of the command exchanges' reply waits (only while no
    // capture runs and no command is pending); the machine's steady clock by default.
    void SetClock(IClock& clock) { clock_ = &clock; }
    IClock& Clock() { return *clock_; }

    // Closes the port if open and opens settings.PortText at `baud` with the framing of the
    // settings; kPortBusy when no device is named. On success installs MyEvent for kEvTxEmpty,
    // empties the receive buffer and clears the port-closed mark.
    int OpenCapturePort(const TCaptureSettings& settings, int baud);
    // kPortNotOpen if not open; else closes and sets the port-closed mark.
    int CloseCapturePort();
    bool PortClosed() const { return portClosed_; }
    // Bytes accepted, or kPortClosed / kPortNotOpen. Clears RTS first (serial direction line).
    int SendBytes(const std::uint8_t* bytes, int count);
    // Bytes received (possibly 0), kPortClosed, or kPortOpenFailed when the device failed; the
    // failure also sets DeviceLost().
    int ReceiveBytes(std::uint8_t* destination, int maximum);
    // Reads into the receive buffer behind its fill count, at most `maximum` bytes and never more
    // than its read room; returns what ReceiveBytes returned. The command exchanges and the frame
    // reader use it to add the few bytes they are missing.
    int ReadIntoBuffer(int maximum = kReceiveBufferSize);
    // A read failed since the port was opened: the device is gone.
    bool DeviceLost() const { return lost_; }
    // Bytes received since construction; the poll tick tells a quiet source by it.
    std::uint64_t BytesReceived() const { return received_; }

    TReceiveBuffer& Buffer() { return buffer_; }
    const TReceiveBuffer& Buffer() const { return buffer_; }

    // Sends a command of at most kMaxCommand bytes: the first `initialCount` bytes at once, the
    // rest one per kEvTxEmpty; after the last, RTS is set again once the guard tick plus
    // `extraGuardTicks` have passed. Returns what SendBytes accepted for the first part.
    int SendCommand(const std::uint8_t* bytes, int length, int initialCount, int extraGuardTicks);
    // True while command bytes are still to be sent or RTS is still to be restored.
    bool CommandPending() const { return sendIndex_.load() < commandLength_ + 1; }

    // The transmitter-empty handler; runs on the device's event thread.
    void MyEvent(std::uint32_t eventMask);

private:
    IPortDevice* device_;
    IClock* clock_ = &SteadyClock();
    bool datagram_ = false;
    bool portClosed_ = true;
    bool lost_ = false;
    std::uint64_t received_ = 0;
    TReceiveBuffer buffer_;
    // Command sender state, shared with the event thread; the UI thread does not change it while
    // a command is being sent (the command routines wait for the reply first).
    std::array<std::uint8_t, kMaxCommand> command_{};
    int commandLength_ = 0;
    int extraGuardTicks_ = 0;
    std::atomic<int> sendIndex_{1};
};

} // namespace protmon
