#include "capture/memory_port_device.h"

#include <algorithm>

namespace protmon {

namespace {

// Keeps the higher-priority error: parity over framing over overrun.
int Latch(int current, int incoming) {
    if (incoming == kRxNone)
        return current;
    if (current == kRxNone)
        return incoming;
    return std::max(current, incoming); // -7 > -8 > -9
}

} // namespace

void TMemoryPortDevice::Feed(ByteView bytes) {
    if (head_ > 0 && head_ >= queue_.size() / 2) {
        queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
    queue_.insert(queue_.end(), bytes.data(), bytes.data() + bytes.size());
}

void TMemoryPortDevice::InjectError(int rxError) {
    lastError_ = Latch(lastError_, rxError);
}

int TMemoryPortDevice::Open(const std::string& device, int baud, int dataBits, char parity,
                            int /*stopCode*/) {
    if (open_)
        return kPortBusy;
    if (failOpen_ || device.empty())
        return kPortOpenFailed;
    open_ = true;
    lost_ = false;
    device_ = device;
    baud_ = baud;
    dataBits_ = dataBits;
    parity_ = parity;
    ++openCount_;
    return kPortOk;
}

int TMemoryPortDevice::Close() {
    if (!open_)
        return kPortNotOpen;
    open_ = false;
    handler_ = nullptr;
    mask_ = 0;
    return kPortOk;
}

int TMemoryPortDevice::Read(std::uint8_t* destination, int maximum, int& count) {
    count = 0;
    if (!open_)
        return kPortNotOpen;
    if (lost_)
        return kPortOpenFailed;
    const int n = std::min(maximum, Queued());
    std::copy_n(queue_.begin() + static_cast<std::ptrdiff_t>(head_), n, destination);
    head_ += static_cast<std::size_t>(n);
    count = n;
    return kPortOk;
}

int TMemoryPortDevice::Write(const std::uint8_t* source, int count) {
    if (!open_)
        return kPortNotOpen;
    count = std::clamp(count, 0, 511);
    sent_.insert(sent_.end(), source, source + count);
    if (observer_)
        observer_(ByteView(source, static_cast<std::size_t>(count)));
    if (!handler_ || (mask_ & kEvTxEmpty) == 0)
        return count;
    // A handler that writes again is served by this loop, not by recursion.
    ++pendingEvents_;
    if (inHandler_)
        return count;
    inHandler_ = true;
    while (pendingEvents_ > 0 && handler_) {
        --pendingEvents_;
        handler_(kEvTxEmpty);
    }
    pendingEvents_ = 0;
    inHandler_ = false;
    return count;
}

int TMemoryPortDevice::TakeError() {
    if (!open_)
        return kRxNone;
    const int e = lastError_;
    lastError_ = kRxNone;
    return e;
}

void TMemoryPortDevice::Purge() {
    if (!open_)
        return;
    queue_.clear();
    head_ = 0;
    lastError_ = kRxNone;
}

int TMemoryPortDevice::SetRts() {
    if (!open_)
        return kPortNotOpen;
    rts_ = true;
    return kPortOk;
}

int TMemoryPortDevice::ClearRts() {
    if (!open_)
        return kPortNotOpen;
    rts_ = false;
    return kPortOk;
}

int TMemoryPortDevice::ClearDtr() {
    if (!open_)
        return kPortNotOpen;
    dtr_ = false;
    return kPortOk;
}

int TMemoryPortDevice::SetEventHandler(std::uint32_t mask, PortEventHandler handler) {
    if (!open_)
        return kPortNotOpen;
    mask_ = mask;
    handler_ = std::move(handler);
    return kPortOk;
}

} // namespace protmon
