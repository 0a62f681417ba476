#include "capture/trx5_assembler.h"

#include "capture/capture_link.h"
#include "capture/trx5_length.h"

#include <algorithm>
#include <cstring>

namespace protmon {

namespace {

constexpr int kStatusBytes = 48; // raw bytes a status entry holds
constexpr int kFrameHeader = 7;  // line-monitor frame: marker, length, channel, time stamp

void WriteStatus(TTelEntry& e, std::uint8_t kind, int count, ByteView bytes) {
    e.Data[0] = 0;
    e.Data[1] = kind;
    e.Data[2] = static_cast<std::uint8_t>(count);
    const ByteView part = bytes.sub(0, kStatusBytes);
    if (!part.empty())
        std::memcpy(e.Data.data() + 3, part.data(), part.size());
}

// A start byte of a telegram has exactly one non-zero nibble.
bool CandidateStart(std::uint8_t b) {
    return ((b & 0x0F) != 0) != ((b & 0xF0) != 0);
}

enum class Candidate { Fails, Complete, Incomplete };

Candidate CheckCandidate(ByteView rest) {
    if (!CandidateStart(rest.at(0)))
        return Candidate::Fails;
    if (rest.size() < 2)
        return Candidate::Incomplete;
    const TTrx5LengthRule rule = Trx5LengthRule(rest.at(1));
    if (rule.Base == 0)
        return Candidate::Fails;
    if (rule.CountPos >= rest.size())
        return Candidate::Incomplete;
    const std::size_t length = static_cast<std::size_t>(Trx5TelegramLength(rest));
    if (length < 3)
        return Candidate::Fails;
    if (length > rest.size())
        return Candidate::Incomplete;
    return Trx5Bcc(rest, length - 1) == rest.at(length - 1) ? Candidate::Complete
                                                            : Candidate::Fails;
}

// Drops the bytes before the first position from 1 on where a complete telegram with a good BCC
// starts. Without one, the buffer keeps the first position where a telegram may still start once
// more bytes arrive, so a telegram that follows garbage is not lost when it arrives in pieces;
// only when there is none either is the buffer emptied.
void Resynchronise(TReceiveBuffer& buffer) {
    const ByteView all = buffer.View();
    std::size_t firstIncomplete = 0;
    for (std::size_t s = 1; s < all.size(); ++s) {
        const Candidate c = CheckCandidate(all.sub(s, all.size() - s));
        if (c == Candidate::Complete) {
            buffer.Consume(static_cast<int>(s));
            return;
        }
        if (c == Candidate::Incomplete && firstIncomplete == 0)
            firstIncomplete = s;
    }
    if (firstIncomplete != 0)
        buffer.Consume(static_cast<int>(firstIncomplete));
    else
        buffer.Clear();
}

} // namespace

TTrx5Assembler::TTrx5Assembler(TTelegramList& list, TCaptureLink& link, ITriggerHook& trigger)
    : list_(list), link_(link), trigger_(&trigger) {}

TTelEntry* TTrx5Assembler::AssembleDirectStep(TReceiveBuffer& buffer, TTelegramList& list) {
    const ByteView data = buffer.View();
    if (data.size() < 2)
        return nullptr; // the service byte decides everything
    const TTrx5LengthRule rule = Trx5LengthRule(data.at(1));
    if (rule.CountPos >= data.size())
        return nullptr;
    const int length = Trx5TelegramLength(data);
    if (length > buffer.Fill())
        return nullptr;
    // Below 3 bytes there is no room for address, service and BCC: never a telegram.
    const bool valid = length >= 3;
    TTelEntry* e = list.NewTelEntry();
    if (valid && Trx5Bcc(data, static_cast<std::size_t>(length - 1)) == data.at(length - 1)) {
        const int n = std::min(length, static_cast<int>(kMaxStoredTelegram));
        if (n == length)
            std::memcpy(e->Data.data(), data.data(), static_cast<std::size_t>(n));
        else
            WriteStatus(*e, kStatusIllegalFrame, n, data);
        buffer.Consume(n);
        return e;
    }
    WriteStatus(*e, valid ? kStatusBcc : kStatusIllegalFrame, buffer.Fill(), data);
    Resynchronise(buffer);
    return e;
}

TTelEntry* TTrx5Assembler::StoreFrameTelegram(TReceiveBuffer& buffer, TTelegramList& list) {
    const ByteView frame = buffer.View();
    const int n = (frame.at(3) - 4) & 0xFF;
    const ByteView telegram = frame.sub(kFrameHeader, static_cast<std::size_t>(n));
    TTelEntry* e = list.NewTelEntry();
    e->Channel = frame.at(4);
    e->TimeStamp = frame.be16(5);
    const bool bccOk = n > 0 && telegram.size() == static_cast<std::size_t>(n) &&
                       Trx5Bcc(telegram, static_cast<std::size_t>(n - 1)) == telegram.at(n - 1);
    if (!bccOk) {
        WriteStatus(*e, kStatusBcc, n, telegram);
    } else {
        const int m = std::min(n, static_cast<int>(kMaxStoredTelegram));
        if (m == Trx5TelegramLength(telegram)) {
            std::memcpy(e->Data.data(), telegram.data(), static_cast<std::size_t>(m));
        } else {
            const int behind = std::max(buffer.Fill() - kFrameHeader, 0);
            WriteStatus(*e, kStatusIllegalFrame, behind, frame.sub(kFrameHeader, kStatusBytes));
        }
    }
    // Only this frame: bytes behind it (the next frames, read with a command reply) stay.
    buffer.Consume(frame.at(3) + 3);
    return e;
}

TAssembleResult TTrx5Assembler::AssembleTrx5() {
    TAssembleResult result;
    const bool lineMonitor = frames_ != nullptr && lineMonitorMode_ && lineMonitorMode_();
    TReceiveBuffer& buffer = link_.Buffer();
    for (;;) {
        TTelEntry* e = nullptr;
        if (lineMonitor) {
            if (!frames_->LineMonitorReceiveFrame())
                return result;
            e = StoreFrameTelegram(buffer, list_);
        } else {
            if (link_.ReadIntoBuffer() < 0)
                return result;
            e = AssembleDirectStep(buffer, list_);
            if (e == nullptr)
                return result;
        }
        result.Wrote = true;
        if (trigger_->TriggerCheck(*e)) {
            result.Triggered = true;
            return result;
        }
    }
}

} // namespace protmon
