#include "detect/line_evidence.h"

#include "capture/line_monitor.h"
#include "capture/trx5_assembler.h"

#include <bit>

namespace protmon {

namespace {

// The scratch list only has to hold the entry just written and the one before it.
constexpr int kScratchDepth = 16;

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

void TEvidenceCollector::FeedFrame(ByteView frame) {
    frames_ = true;
    ++common_.Frames;
    const ByteView telegram = frame.sub(kLmFrameHeader, frame.size());
    for (std::size_t i = 0; i < telegram.size(); ++i)
        Feed(telegram.at(i), false);
    frameBuffer_.Clear();
    frameBuffer_.Append(frame);
    const TTelEntry* e = TTrx5Assembler::StoreFrameTelegram(frameBuffer_, list_);
    if (e != nullptr && GoodUnit(*e, DetectProtocol::Trx5)) {
        ++trx5Telegrams_;
        trx5Bytes_ += static_cast<std::int64_t>(telegram.size());
    }
    RunAssemblers();
}

void TEvidenceCollector::Feed(std::uint8_t byte, bool error) {
    ++common_.Bytes;
    common_.ErrorBytes += error ? 1 : 0;
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
        if (GoodUnit(*e, DetectProtocol::Trx5)) {
            ++trx5Telegrams_;
            trx5Bytes_ += before - trx5Buffer_.Fill();
        }
    }
    for (;;) {
        const int before = dinBuffer_.Fill();
        bool discarded = false;
        const TTelEntry* e = din_.AssembleDirectStep(dinBuffer_, discarded);
        if (e == nullptr)
            break;
        if (!discarded && GoodUnit(*e, DetectProtocol::Din)) {
            ++dinTelegrams_;
            dinBytes_ += before - dinBuffer_.Fill();
        }
    }
}

TDetectEvidence TEvidenceCollector::Evidence(DetectProtocol protocol) const {
    TDetectEvidence e = common_;
    if (protocol == DetectProtocol::Trx5) {
        e.Telegrams = trx5Telegrams_;
        e.TelegramBytes = trx5Bytes_;
    } else if (protocol == DetectProtocol::Din) {
        e.Telegrams = dinTelegrams_;
        e.TelegramBytes = dinBytes_;
    }
    return e;
}

} // namespace protmon
