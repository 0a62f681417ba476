#include "capture/raw_assembler.h"

#include "capture/capture_link.h"

#include <algorithm>
#include <cstring>

namespace protmon {

namespace {

constexpr int kFrameHeader = 7; // line-monitor frame: marker, length, channel, time stamp

TTelEntry* NewRawEntry(TTelegramList& list) {
    TTelEntry* e = list.NewTelEntry();
    e->Data[0] = 0;
    return e;
}

} // namespace

TRawAssembler::TRawAssembler(TTelegramList& list, TCaptureLink& link) : list_(list), link_(link) {}

ILineMonitorFrames* TRawAssembler::LineMonitorFrames() const {
    ILineMonitorFrames* frames = frames_ ? frames_() : nullptr;
    return frames != nullptr && lineMonitorMode_ && lineMonitorMode_() ? frames : nullptr;
}

TTelEntry* TRawAssembler::EntryBeingFilled(TTelegramList& list) {
    TTelEntry* e = nullptr;
    if (list.WriteIndex() < 0)
        e = list.At(list.Count() - 1);
    else
        e = list.At((list.WriteIndex() == 0 ? list.Capacity() : list.WriteIndex()) - 1);
    // An entry from elsewhere (a line-monitor recording read from a file) may hold more than
    // 16 bytes; appending behind them could run past its data.
    if (e == nullptr || e->Data[0] >= kBytesPerEntry)
        e = NewRawEntry(list);
    return e;
}

void TRawAssembler::AppendBytes(TReceiveBuffer& buffer, TTelegramList& list) {
    TTelEntry* e = EntryBeingFilled(list);
    int count = e->Data[0];
    const std::uint8_t* bytes = buffer.Data();
    for (int i = 0; i < buffer.Fill(); ++i) {
        e->Data[static_cast<std::size_t>(1 + count)] = bytes[i];
        if (++count == kBytesPerEntry) {
            e->Data[0] = static_cast<std::uint8_t>(count);
            e = NewRawEntry(list);
            count = 0;
        }
    }
    e->Data[0] = static_cast<std::uint8_t>(count);
    buffer.Clear();
}

TTelEntry* TRawAssembler::StoreFrame(TReceiveBuffer& buffer, TTelegramList& list) {
    const ByteView frame = buffer.View();
    const int n = (frame.at(3) - 4) & 0xFF;
    const int count = std::clamp(n, 1, kMaxFrameBytes);
    TTelEntry* e = list.NewTelEntry();
    e->Channel = frame.at(4);
    e->TimeStamp = frame.be16(5);
    e->Data[0] = static_cast<std::uint8_t>(count);
    for (int i = 0; i < count; ++i)
        e->Data[static_cast<std::size_t>(1 + i)] =
            frame.at(static_cast<std::size_t>(kFrameHeader + i));
    buffer.Clear();
    return e;
}

TAssembleResult TRawAssembler::AssembleRaw() {
    TReceiveBuffer& buffer = link_.Buffer();
    if (ILineMonitorFrames* frames = LineMonitorFrames()) {
        while (frames->LineMonitorReceiveFrame())
            StoreFrame(buffer, list_);
        return {};
    }
    for (;;) {
        if (link_.ReadIntoBuffer() < 0 || buffer.Fill() == 0)
            return {};
        AppendBytes(buffer, list_);
    }
}

} // namespace protmon
