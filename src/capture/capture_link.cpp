#include "capture/capture_link.h"

#include <algorithm>

namespace protmon {

TPortFraming CaptureFraming(const TCaptureSettings& s) {
    if (s.Monitor || s.Selection == Protocol::Trx5)
        return {8, 'E'};
    if (s.Selection == Protocol::Din66019II)
        return {7, 'E'};
    TPortFraming f;
    f.DataBits = s.RawFormat.DataBits == 7 ? 7 : 8;
    f.Parity = s.RawFormat.Parity == ParityChoice::Odd    ? 'O'
               : s.RawFormat.Parity == ParityChoice::None ? 'N'
                                                          : 'E';
    return f;
}

int BaudBoxRate(int baudIndex) {
    static constexpr int kRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    if (baudIndex < 0 || baudIndex >= static_cast<int>(std::size(kRates)))
        return 38400;
    return kRates[baudIndex];
}

void TCaptureLink::SetDevice(IPortDevice& device, bool datagram) {
    device_ = &device;
    datagram_ = datagram;
    portClosed_ = !datagram;
    lost_ = false;
}

int TCaptureLink::OpenCapturePort(const TCaptureSettings& settings, int baud) {
    if (datagram_)
        return kPortOk;
    if (device_->IsOpen())
        device_->Close();
    if (settings.PortText.empty())
        return kPortBusy;
    const TPortFraming f = CaptureFraming(settings);
    const int rc = device_->Open(settings.PortText, baud, f.DataBits, f.Parity, 0);
    if (rc != kPortOk) {
        device_->Close();
        return rc;
    }
    device_->SetEventHandler(kEvTxEmpty, [this](std::uint32_t mask) { MyEvent(mask); });
    buffer_.Clear();
    portClosed_ = false;
    lost_ = false;
    return kPortOk;
}

int TCaptureLink::CloseCapturePort() {
    if (datagram_)
        return kPortOk;
    if (!device_->IsOpen())
        return kPortNotOpen;
    device_->Close();
    portClosed_ = true;
    return kPortOk;
}

int TCaptureLink::SendBytes(const std::uint8_t* bytes, int count) {
    if (datagram_)
        return device_->Write(bytes, count);
    if (portClosed_)
        return kPortClosed;
    device_->ClearRts();
    return device_->Write(bytes, count);
}

int TCaptureLink::ReceiveBytes(std::uint8_t* destination, int maximum) {
    if (!datagram_ && portClosed_)
        return kPortClosed;
    int count = 0;
    const int rc = device_->Read(destination, std::max(maximum, 0), count);
    if (rc == kPortOpenFailed)
        lost_ = true;
    if (rc != kPortOk)
        return kPortOpenFailed;
    received_ += static_cast<std::uint64_t>(std::max(count, 0));
    return count;
}

int TCaptureLink::ReadIntoBuffer(int maximum) {
    const int room = std::min(buffer_.ReadRoom(), std::max(maximum, 0));
    const int n = ReceiveBytes(buffer_.WritePosition(), room);
    if (n > 0)
        buffer_.Commit(n);
    return n;
}

int TCaptureLink::SendCommand(const std::uint8_t* bytes, int length, int initialCount,
                              int extraGuardTicks) {
    length = std::clamp(length, 0, kMaxCommand);
    if (length == 0 || bytes == nullptr)
        return 0;
    initialCount = std::clamp(initialCount, 1, std::max(length, 1));
    std::copy(bytes, bytes + length, command_.begin());
    commandLength_ = length;
    extraGuardTicks_ = extraGuardTicks;
    sendIndex_.store(initialCount);
    const int sent = SendBytes(command_.data(), initialCount);
    if (sent <= 0)
        sendIndex_.store(commandLength_ + 1); // nothing will follow
    return sent;
}

void TCaptureLink::MyEvent(std::uint32_t eventMask) {
    if ((eventMask & kEvTxEmpty) == 0)
        return;
    const int index = sendIndex_.load();
    if (index > commandLength_)
        return; // no command in progress
    if (index < commandLength_) {
        sendIndex_.store(index + 1);
        SendBytes(&command_[static_cast<std::size_t>(index)], 1);
        return;
    }
    // The last byte has left the transmitter: hold the line for the guard time, then release it.
    const auto guard = kGuardTick * (1 + extraGuardTicks_);
    IClock& clock = *clock_;
    const auto start = clock.Now();
    while (clock.Now() - start < guard)
        clock.SleepFor(std::chrono::microseconds(100));
    device_->SetRts();
    sendIndex_.store(commandLength_ + 1);
}

} // namespace protmon
