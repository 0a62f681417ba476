#include "capture/din_assembler.h"

#include "capture/capture_control.h"
#include "capture/capture_link.h"
#include "capture/din_convert.h"
#include "capture/line_monitor.h"
#include "model/status_entry.h"

#include <algorithm>

namespace protmon {

namespace {

constexpr int kFrameHeader = 7; // line-monitor frame: marker, length, channel, time stamp
// A full buffer without a frame would stop reading for good; everything but a tail long enough
// for the longest frame is given up as garbage instead.
constexpr int kLongestFrameTail = 64;

// The first position in [from, end) where a line-monitor marker could start (the bytes there, as
// far as the buffer holds them, are the marker's); `end` if there is none.
int NextPossibleMarker(ByteView b, int from, int end) {
    for (int p = from; p < end; ++p) {
        bool possible = true;
        for (std::size_t k = 0; k < 3 && b.has(static_cast<std::size_t>(p) + k); ++k)
            possible = possible && b.at(static_cast<std::size_t>(p) + k) == kLmMarker[k];
        if (possible)
            return p;
    }
    return end;
}

} // namespace

TDinAssembler::TDinAssembler(TTelegramList& list, TCaptureLink& link, ITriggerHook& trigger,
                             IHost& host)
    : list_(list), link_(link), trigger_(&trigger), host_(host) {}

ILineMonitorFrames* TDinAssembler::LineMonitorFrames() const {
    ILineMonitorFrames* frames = frames_ ? frames_() : nullptr;
    return frames != nullptr && lineMonitorMode_ && lineMonitorMode_() ? frames : nullptr;
}

TDinAssembler::TStep TDinAssembler::StoreUnit(ByteView chars, const TDinFind& found) {
    TStep step;
    step.Entry = list_.NewTelEntry();
    if (found.Result == TDinFind::Discard) {
        step.Discarded = true;
        WriteStatusEntry(*step.Entry, kStatusIllegalFrame, found.Length,
                         chars.sub(0, static_cast<std::size_t>(found.Length)));
        return step;
    }
    // Look back before the new entry is written: the first entry of a list is its own
    // predecessor, and must be judged as it was handed out.
    const TDinPrevious previous = TDinPrevious::Of(GetLastTelEntryOrReport(list_, host_));
    ConvertDinFrame(chars.sub(0, static_cast<std::size_t>(found.Length)), found.Form, previous,
                    *step.Entry);
    return step;
}

TTelEntry* TDinAssembler::AssembleDirectStep(TReceiveBuffer& buffer, bool& discarded) {
    const ByteView chars = buffer.View();
    TDinFind found = FindDinFrame(chars);
    if (found.Result == TDinFind::Wait) {
        if (buffer.Fill() < kReceiveReadLimit)
            return nullptr;
        found = {TDinFind::Discard, buffer.Fill() - kLongestFrameTail, DinFrameForm::Select};
    }
    const TStep step = StoreUnit(chars, found);
    buffer.Consume(found.Length);
    discarded = step.Discarded;
    return step.Entry;
}

// The frame at the buffer start (or the rest of its telegram after a Select). What is not a DIN
// frame is garbage up to where a line-monitor marker could start: a marker faked by garbage may
// announce a length that covers real frames, and those are found again by the frame search.
TDinAssembler::TStep TDinAssembler::FrameStep(ILineMonitorFrames& frames, TReceiveBuffer& buffer) {
    for (;;) {
        int base = 0;
        int end = rest_;
        if (rest_ == 0) {
            if (!frames.LineMonitorReceiveFrame())
                return {};
            const ByteView header = buffer.View();
            base = kFrameHeader;
            end = base + ((header.at(3) - 4) & 0xFF);
            channel_ = header.at(4);
            timeStamp_ = header.be16(5);
        }
        end = std::min(end, buffer.Fill());
        base = std::min(base, end);
        TDinFind found = FindDinFrame(buffer.View().sub(static_cast<std::size_t>(base),
                                                        static_cast<std::size_t>(end - base)));
        rest_ = 0;
        if (found.Result != TDinFind::Frame) {
            const int garbageEnd = NextPossibleMarker(buffer.View(), base, end);
            if (garbageEnd == base && base < end) {
                // A marker right behind the header: no garbage to record, only the header goes.
                buffer.Consume(base);
                continue;
            }
            found = {TDinFind::Discard, garbageEnd - base, DinFrameForm::Select};
        }
        const ByteView chars =
            buffer.View().sub(static_cast<std::size_t>(base), static_cast<std::size_t>(end - base));
        TStep step = StoreUnit(chars, found);
        step.Entry->Channel = channel_;
        step.Entry->TimeStamp = timeStamp_;
        const bool continues = found.Result == TDinFind::Frame &&
                               found.Form == DinFrameForm::Select && found.Length < end - base;
        rest_ = continues ? end - base - found.Length : 0;
        // Only the DIN frame (or the garbage) goes: what follows it is left to the line-monitor
        // frame search, which skips it up to the next marker.
        buffer.Consume(base + found.Length);
        return step;
    }
}

TAssembleResult TDinAssembler::AssembleDin() {
    TAssembleResult result;
    ILineMonitorFrames* lineMonitor = LineMonitorFrames();
    // A continuation is parsed within the same call; one left by a trigger stop is stale.
    rest_ = 0;
    TReceiveBuffer& buffer = link_.Buffer();
    for (;;) {
        TStep step;
        if (lineMonitor) {
            step = FrameStep(*lineMonitor, buffer);
        } else {
            if (link_.ReadIntoBuffer() < 0)
                return result;
            step.Entry = AssembleDirectStep(buffer, step.Discarded);
        }
        if (step.Entry == nullptr)
            return result;
        result.Wrote = true;
        const bool fired = step.Discarded ? trigger_->TriggerCheckWithoutArming(*step.Entry)
                                          : trigger_->TriggerCheck(*step.Entry);
        if (fired) {
            result.Triggered = true;
            return result;
        }
    }
}

} // namespace protmon
