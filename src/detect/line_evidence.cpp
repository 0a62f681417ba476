#include "detect/line_evidence.h"

#include "capture/line_monitor.h"
#include "capture/trx5_assembler.h"

#include <algorithm>
#include <bit>

namespace protmon {

namespace {

// The scratch list only has to hold the entry just written and the one before it.
constexpr int kScratchDepth = 16;
constexpr int kUnsettledCharacters = 4;

// A capture records bad data as a status entry (Data[0] 0); a DIN66019II slave selection is a
// status entry too, but a well-formed frame.
bool GoodUnit(const TTelEntry& e, DetectProtocol p) {
    if (e.Data[0] != 0)
        return true;
    return p == DetectProtocol::Din && e.Data[1] == kStatusSelect;
}

} // namespace

TEvidenceCollector::TEvidenceCollector() {
    list_.SetBufferDepth(kScratchDepth);
}

void TEvidenceCollector::FeedMarked(ByteView bytes, bool pseudoTerminal) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes.at(i);
        if (pseudoTerminal && b == 0xFF) {
            pendingFF_ = !pendingFF_;
            if (!pendingFF_)
                Unmark(0xFF);
            continue;
        }
        if (pendingFF_)
            Unmark(0xFF); // a lone 0xFF: not doubled after all
        pendingFF_ = false;
        Unmark(b);
    }
    RunAssemblers();
}

void TEvidenceCollector::Unmark(std::uint8_t b) {
    switch (markState_) {
    case 0:
        if (b == 0xFF)
            markState_ = 1;
        else
            Feed(b, false);
        break;
    case 1: // 0xFF 0xFF is a received 0xFF; 0xFF 0x00 announces a bad byte
        markState_ = b == 0x00 ? 2 : 0;
        if (b != 0x00)
            Feed(b, false);
        break;
    default:
        markState_ = 0;
        Feed(b, true);
        break;
    }
}

void TEvidenceCollector::TUnits::Count(bool good, int consumed) {
    if (good) {
        ++Telegrams;
        Bytes += consumed;
        Synced = true;
    } else if (!Synced) {
        Lead += consumed;
    }
}

void TEvidenceCollector::StartWindow() {
    unsettled_ = kUnsettledCharacters;
    trx5Buffer_.Clear();
    dinBuffer_.Clear();
    markState_ = 0;
    pendingFF_ = false;
    trx5_.Synced = frames_;
    dinUnits_.Synced = false;
}

void TEvidenceCollector::FeedFrame(ByteView frame) {
    frames_ = true;
    ++common_.Frames;
    const ByteView telegram = frame.sub(kLmFrameHeader, frame.size());
    for (std::size_t i = 0; i < telegram.size(); ++i)
        Feed(telegram.at(i), false);
    frameBuffer_.Clear();
    frameBuffer_.Append(frame);
    const TTelEntry* e = TTrx5Assembler::StoreFrameTelegram(frameBuffer_, list_);
    // A frame is cut by the box: it is its own unit, never the middle of one.
    trx5_.Synced = true;
    if (e != nullptr)
        trx5_.Count(GoodUnit(*e, DetectProtocol::Trx5), static_cast<int>(telegram.size()));
    RunAssemblers();
}

void TEvidenceCollector::Feed(std::uint8_t byte, bool error) {
    ++common_.Bytes;
    common_.ErrorBytes += error && unsettled_ == 0 ? 1 : 0;
    unsettled_ = std::max(0, unsettled_ - 1);
    common_.EvenBytes += std::popcount(byte) % 2 == 0 ? 1 : 0;
    common_.HighBytes += byte >= 0x80 ? 1 : 0;
    const ByteView one(&byte, 1);
    // Both buffers are drained after every feed, so they never fill up.
    if (!frames_)
        trx5Buffer_.Append(one);
    dinBuffer_.Append(one);
    if (trx5Buffer_.ReadRoom() < 64 || dinBuffer_.ReadRoom() < 64)
        RunAssemblers();
}

void TEvidenceCollector::RunAssemblers() {
    for (;;) {
        const int before = trx5Buffer_.Fill();
        const TTelEntry* e = TTrx5Assembler::AssembleDirectStep(trx5Buffer_, list_);
        if (e == nullptr)
            break;
        trx5_.Count(GoodUnit(*e, DetectProtocol::Trx5), before - trx5Buffer_.Fill());
    }
    for (;;) {
        const int before = dinBuffer_.Fill();
        bool discarded = false;
        const TTelEntry* e = din_.AssembleDirectStep(dinBuffer_, discarded);
        if (e == nullptr)
            break;
        dinUnits_.Count(!discarded && GoodUnit(*e, DetectProtocol::Din),
                        before - dinBuffer_.Fill());
    }
}

TDetectEvidence TEvidenceCollector::Evidence(DetectProtocol protocol) const {
    TDetectEvidence e = common_;
    const TUnits* units = protocol == DetectProtocol::Trx5  ? &trx5_
                          : protocol == DetectProtocol::Din ? &dinUnits_
                                                            : nullptr;
    if (units != nullptr) {
        e.Telegrams = units->Telegrams;
        e.TelegramBytes = units->Bytes;
        e.Bytes -= std::min(units->Lead, e.Bytes);
    }
    return e;
}

} // namespace protmon
