#include "capture/trx5_length.h"
#include "simulator.h"

#include <algorithm>
#include <array>

namespace protmon::lmsim {

namespace {

// Address 0x10, write request of service 1, parameter 0x00FF: the monitor command.
constexpr std::array<std::uint8_t, 4> kCommandHead = {0x10, 0x41, 0x00, 0xFF};
constexpr std::size_t kCommandLength = 10;
constexpr std::uint8_t kRefusalCode = 1; // "device not ready"
constexpr int kBurst = 256;
constexpr Clock::duration kBacklogRecheck = std::chrono::milliseconds(1);

} // namespace

OperatorSim::OperatorSim(ILink& link, ITelegramSource& source, const LmsimOptions& options)
    : link_(link), source_(source), pacer_(options.rate), silent_(options.silent),
      refuse_(!options.refusedCodes.empty()), count_(options.count) {}

void OperatorSim::OnReceived(ByteView bytes) {
    if (silent_)
        return;
    pending_.insert(pending_.end(), bytes.data(), bytes.data() + bytes.size());
    for (;;) {
        const auto it =
            std::search(pending_.begin(), pending_.end(), kCommandHead.begin(), kCommandHead.end());
        if (it == pending_.end()) {
            const std::size_t keep = std::min(pending_.size(), kCommandHead.size() - 1);
            pending_.erase(pending_.begin(), pending_.end() - static_cast<std::ptrdiff_t>(keep));
            return;
        }
        pending_.erase(pending_.begin(), it);
        if (pending_.size() < kCommandLength)
            return;
        const ByteView cmd(pending_.data(), kCommandLength);
        const bool valid = cmd.at(8) == 0x01 && Trx5Bcc(cmd, kCommandLength - 1) == cmd.at(9);
        if (!valid) {
            // Not a command after all; look again from the next byte.
            pending_.erase(pending_.begin());
            continue;
        }
        const std::uint32_t selection = cmd.be32(4);
        pending_.erase(pending_.begin(), pending_.begin() + kCommandLength);
        Execute(selection);
    }
}

void OperatorSim::Execute(std::uint32_t selection) {
    const std::uint8_t status = refuse_ ? kRefusalCode : 0;
    std::array<std::uint8_t, 4> answer = {0x10, 0xC1, status, 0};
    answer[3] = Trx5Bcc(ByteView(answer.data(), answer.size()), 3);
    // Copying stops before the answer goes out, so nothing follows the answer to "off".
    if (status == 0) {
        if (selection != 0 && selection_ == 0) {
            source_.Restart();
            copied_ = 0;
        }
        selection_ = selection & 0x7;
        pacer_.Reset(Clock::now());
    }
    link_.QueueReply(ByteView(answer.data(), answer.size()));
}

std::optional<Clock::duration> OperatorSim::Produce(Clock::time_point now) {
    if (selection_ == 0)
        return std::nullopt;
    std::uint64_t due = pacer_.Due(now);
    BusTelegram t;
    for (int burst = 0; burst < kBurst && due > 0 && link_.ReadyForMore(); ++burst) {
        if (count_ && copied_ >= *count_)
            return std::nullopt;
        if (!source_.Next(t)) {
            selection_ = 0;
            return std::nullopt;
        }
        if ((selection_ & (1u << static_cast<unsigned>(t.kind))) == 0)
            continue;
        link_.QueueFrames(ByteView(t.bytes.data(), t.bytes.size()));
        link_.Flush();
        pacer_.Done(1);
        ++copied_;
        --due;
    }
    // Unlimited: go on at once, or as soon as the transport has taken some of its backlog.
    if (pacer_.Unlimited())
        return link_.ReadyForMore() ? Clock::duration::zero() : kBacklogRecheck;
    return pacer_.UntilNext(Clock::now());
}

} // namespace protmon::lmsim
