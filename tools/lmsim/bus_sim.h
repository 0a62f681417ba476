#pragma once

#include "bus_telegram.h"
#include "link.h"
#include "options.h"
#include "simulator.h"
#include "tty_delivery.h"
#include "uart_model.h"

#include <optional>

namespace protmon::lmsim {

// The receiver the peer's settings amount to on a bus of the given framing: what the kernel
// hides (data bits, parity enable) is taken from the bus, odd and stick parity from the peer.
// Nothing when the peer set no rate the simulator knows (nothing is received then).
std::optional<UartFraming> ReceiverOf(const PeerLineSettings& peer, const UartFraming& bus);

// A plain drive line on a pty: the telegrams of the source go on the line at its rate, with
// their gaps scaled to it, and the peer receives what its UART at its own settings makes of the
// line, character by character as the stop bits pass.
class PlainBusSim : public ISimulator {
public:
    PlainBusSim(ILink& link, ITelegramSource& source, const LmsimOptions& options);

    // A listener does not talk on the bus; whatever the peer sends is lost.
    void OnReceived(ByteView) override {}
    std::optional<Clock::duration> Produce(Clock::time_point now) override;
    void Finish() override;

private:
    void PutOnLine(double busNs);
    void FetchNext();
    double GapNs(const BusTelegram& t) const;
    void FollowPeer(double busNs);
    void WriteStats(bool force);

    ILink& link_;
    ITelegramSource& source_;
    UartFraming bus_;
    bool light_;
    std::optional<std::uint64_t> count_;
    std::string statsFile_;
    Clock::time_point start_;
    UartLine line_;
    std::optional<BusTelegram> next_;
    double nextStartNs_ = 0;
    double lineFreeNs_ = 0;
    std::uint64_t sent_ = 0;
    std::optional<UartReceiver> receiver_;
    TtyInputFlags input_;
    RxErrorCounts counts_;
    std::optional<RxErrorCounts> written_;
    Clock::time_point lastStats_{};
    std::vector<RxChar> chars_;
    std::vector<std::uint8_t> out_;
};

} // namespace protmon::lmsim
