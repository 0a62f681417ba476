#pragma once

#include "capture/capture_hooks.h"
#include "capture/receive_buffer.h"
#include "capture_test_support.h"

#include <algorithm>
#include <deque>
#include <iterator>

namespace protmon::test {

// A line-monitor data frame: marker, F = telegram length + 4, channel, time stamp, telegram.
inline Bytes LineMonitorFrame(const Bytes& telegram, std::uint8_t channel = 0,
                              std::uint16_t timeStamp = 0) {
    // Sized once and filled: GCC 12 at -O3 takes an insert into the 7-byte header for an
    // out-of-bounds copy.
    Bytes f(7 + telegram.size());
    const std::uint8_t header[] = {0x1B,
                                   0x40,
                                   0x1B,
                                   static_cast<std::uint8_t>(telegram.size() + 4),
                                   channel,
                                   static_cast<std::uint8_t>(timeStamp >> 8),
                                   static_cast<std::uint8_t>(timeStamp)};
    std::copy(std::begin(header), std::end(header), f.begin());
    std::copy(telegram.begin(), telegram.end(), f.begin() + 7);
    return f;
}

// Hands out queued frames one at a time: each call that finds the buffer empty puts the next
// frame at its start.
class TFakeFrameSource : public ILineMonitorFrames {
public:
    explicit TFakeFrameSource(TReceiveBuffer& buffer) : buffer_(buffer) {}
    void Queue(const Bytes& frame) { frames_.push_back(frame); }
    bool LineMonitorReceiveFrame() override {
        if (buffer_.Fill() == 0) {
            if (frames_.empty())
                return false;
            buffer_.Append(ByteView(frames_.front().data(), frames_.front().size()));
            frames_.pop_front();
        }
        return true;
    }

private:
    TReceiveBuffer& buffer_;
    std::deque<Bytes> frames_;
};

} // namespace protmon::test
