#pragma once

#include "capture/port_device.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <termios.h>
#include <thread>

namespace protmon {

// Unix98 pseudo-terminal slaves (majors 136 to 143) stand in for serial lines in tests and
// simulators.
bool IsPseudoTerminal(int fd);

// Raw capture settings for `t`: the framing, no flow control, reads that never wait, and bytes
// with a parity or framing error delivered as received. False for a rate without a constant.
bool SetCaptureTermios(termios& t, int baud, int dataBits, char parity, int stopCode);

// The serial port on POSIX termios, used by one capture at a time: Open refuses a device that
// another descriptor holds (kPortBusy). Reads never wait; writes are sent by a writer thread; a
// transmitter-empty thread waits until the output has drained and then calls the event handler
// with kEvTxEmpty, which lets the command sender send byte by byte and restore RTS afterwards.
class TSerialCom : public IPortDevice {
public:
    static constexpr int kWriteBufferSize = 512;
    static constexpr int kMaxWrite = kWriteBufferSize - 1;

    TSerialCom() = default;
    ~TSerialCom() override;
    TSerialCom(const TSerialCom&) = delete;
    TSerialCom& operator=(const TSerialCom&) = delete;

    int Open(const std::string& device, int baud, int dataBits, char parity, int stopCode) override;
    // errno of the last Open whose open(2) failed (EACCES: no permission), EBUSY when another
    // program holds the device; 0 after any other.
    int LastOpenErrno() const override { return openErrno_; }
    int Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    int Read(std::uint8_t* destination, int maximum, int& count) override;
    int Write(const std::uint8_t* source, int count) override;
    int TakeError() override;
    void Purge() override;
    int SetRts() override;
    int ClearRts() override;
    int ClearDtr() override;
    int SetEventHandler(std::uint32_t mask, PortEventHandler handler) override;

    // Bytes with a parity or framing error arrive marked (0xFF 0x00 before the byte, a received
    // 0xFF doubled) from the next Open or Reconfigure on; line detection counts errors by them
    // where the device has no error counters. Off for captures, which record bytes unchanged.
    void SetMarkErrors(bool on) { markErrors_ = on; }
    // New rate and framing on the open descriptor, so the device is never let go between two
    // settings; what was received before is discarded. kPortOk, kPortNotOpen or kPortOpenFailed.
    int Reconfigure(int baud, int dataBits, char parity, int stopCode);

private:
    struct ErrorCounts {
        int parity = 0, frame = 0, overrun = 0, bufOverrun = 0;
    };
    bool Configure(int baud, int dataBits, char parity, int stopCode);
    void ReleaseDevice();
    void RefreshError(); // under lock_
    bool ReadCounts(ErrorCounts& out) const;
    int ModemLine(unsigned long request, int bits);
    void WriterLoop();
    void TxEmptyLoop();

    int fd_ = -1;
    int openErrno_ = 0;
    bool ownsExclusive_ = false; // TIOCEXCL was set by this object
    bool markErrors_ = false;
    std::mutex lock_; // write buffer, counters, each read, the handler
    std::condition_variable writeRequest_;
    std::condition_variable txRequest_;
    bool stop_ = false;
    std::array<std::uint8_t, kWriteBufferSize> writeBuffer_{};
    int bytesToWrite_ = 0;
    int writeOffset_ = 0;
    bool writePending_ = false;
    int drainRequests_ = 0;
    int lastError_ = kRxNone;
    bool haveCounts_ = false;
    ErrorCounts counts_;
    std::uint32_t eventMask_ = 0;
    PortEventHandler handler_;
    std::thread writer_;
    std::thread txEmpty_;
};

} // namespace protmon
