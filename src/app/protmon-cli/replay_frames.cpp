#include "app/protmon-cli/replay_frames.h"

namespace protmon::cli {

namespace {

constexpr int kHeader = 7;
constexpr std::uint8_t kMarker[3] = {0x1B, 0x40, 0x1B};

bool MarkerAt(const TReceiveBuffer& b, int i) {
    return b.At(i) == kMarker[0] && b.At(i + 1) == kMarker[1] && b.At(i + 2) == kMarker[2] &&
           i + 2 < b.Fill();
}

} // namespace

bool TReplayFrameReader::FillTo(int count) {
    TReceiveBuffer& b = control_.Link().Buffer();
    if (b.Fill() < count)
        control_.Link().ReadIntoBuffer(count - b.Fill());
    return b.Fill() >= count;
}

bool TReplayFrameReader::LineMonitorReceiveFrame() {
    TReceiveBuffer& b = control_.Link().Buffer();
    for (;;) {
        if (!FillTo(kHeader))
            return false;
        if (MarkerAt(b, 0))
            break;
        int at = 1;
        while (at < b.Fill() && !MarkerAt(b, at))
            ++at;
        b.Consume(at);
    }
    if (b.At(3) < 4) {
        b.Set(0, 0); // a frame cannot be that short: look for the next marker
        return false;
    }
    if (!FillTo(b.At(3) + 3))
        return false;
    if ((b.At(4) & 0xF0) == 0x80) {
        control_.StopCapture();
        host_.ShowInfo(kTextLineMonitorOverrun);
        return false;
    }
    return true;
}

} // namespace protmon::cli
