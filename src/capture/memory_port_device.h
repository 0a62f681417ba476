#pragma once

#include "capture/port_device.h"
#include "model/byte_view.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace protmon {

// A port device whose received bytes are queued by the caller: a file fed in chunks exactly as if
// it arrived on the serial port, or a test. Everything runs on the caller's thread: a Write is
// recorded in Sent(), passed to the write observer (a stand-in device may queue its answer there)
// and, while an event handler is installed, followed by kEvTxEmpty.
class TMemoryPortDevice : public IPortDevice {
public:
    using WriteObserver = std::function<void(ByteView written)>;

    // Bytes that Read will hand out, in order.
    void Feed(ByteView bytes);
    void Feed(const std::vector<std::uint8_t>& bytes) {
        Feed(ByteView(bytes.data(), bytes.size()));
    }
    int Queued() const { return static_cast<int>(queue_.size() - head_); }
    // Latched as if the line had reported it (same priority as the serial port).
    void InjectError(int rxError);
    // Open fails with kPortOpenFailed while set.
    void SetFailOpen(bool fail) { failOpen_ = fail; }
    // The device goes away: Read reports kPortOpenFailed from now on.
    void Disconnect() { lost_ = true; }
    void SetWriteObserver(WriteObserver observer) { observer_ = std::move(observer); }
    // Everything written since Open (or ClearSent).
    const std::vector<std::uint8_t>& Sent() const { return sent_; }
    void ClearSent() { sent_.clear(); }
    bool Rts() const { return rts_; }
    bool Dtr() const { return dtr_; }
    // Parameters of the last successful Open.
    const std::string& DeviceName() const { return device_; }
    int Baud() const { return baud_; }
    int DataBits() const { return dataBits_; }
    char Parity() const { return parity_; }
    int OpenCount() const { return openCount_; }

    int Open(const std::string& device, int baud, int dataBits, char parity, int stopCode) override;
    int Close() override;
    bool IsOpen() const override { return open_; }
    int Read(std::uint8_t* destination, int maximum, int& count) override;
    int Write(const std::uint8_t* source, int count) override;
    int TakeError() override;
    void Purge() override;
    int SetRts() override;
    int ClearRts() override;
    int ClearDtr() override;
    int SetEventHandler(std::uint32_t mask, PortEventHandler handler) override;

private:
    std::vector<std::uint8_t> queue_;
    std::size_t head_ = 0; // next byte Read hands out
    std::vector<std::uint8_t> sent_;
    WriteObserver observer_;
    PortEventHandler handler_;
    std::uint32_t mask_ = 0;
    int pendingEvents_ = 0;
    bool inHandler_ = false;
    bool open_ = false;
    bool failOpen_ = false;
    bool lost_ = false;
    bool rts_ = false;
    bool dtr_ = true;
    int lastError_ = kRxNone;
    std::string device_;
    int baud_ = 0;
    int dataBits_ = 8;
    char parity_ = 'E';
    int openCount_ = 0;
};

} // namespace protmon
