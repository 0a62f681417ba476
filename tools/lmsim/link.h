#pragma once

#include "model/byte_view.h"
#include "tty_delivery.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace protmon::lmsim {

// What the peer set on its side of a serial link. Data bits and parity enable are missing where
// the kernel does not keep them on a pseudo-terminal.
struct PeerLineSettings {
    std::uint32_t baud = 0; // 0: a rate without a number (B0 or unknown): nothing is received
    std::optional<std::uint8_t> dataBits;
    std::optional<bool> parityEnabled;
    bool oddParity = false;   // PARODD
    bool stickParity = false; // CMSPAR
    std::uint8_t stopBits = 1;
    TtyInputFlags input;
};

// The box's side of the host link: a loopback UDP socket or a pseudo-terminal. Nothing here
// waits; the main loop polls Fd() and calls Receive and Flush.
class ILink {
public:
    virtual ~ILink() = default;
    virtual int Fd() const = 0;
    // The line printed first on stdout: the UDP port or the pty's slave path.
    virtual std::string Announcement() const = 0;
    // Appends what arrived. Bytes the box cannot hear (a peer at the wrong link rate) are dropped
    // here. False on a fatal error.
    virtual bool Receive(std::vector<std::uint8_t>& out) = 0;
    virtual void QueueReply(ByteView bytes) = 0;
    // One or more data frames back to back (one datagram over UDP).
    virtual void QueueFrames(ByteView bytes) = 0;
    // Writes what the transport takes now; false on a fatal error.
    virtual bool Flush() = 0;
    virtual bool HasPending() const = 0;
    // Backpressure: false while the transport is still busy with earlier output.
    virtual bool ReadyForMore() const = 0;
    // The rate the box's host link runs at; only a serial link cares.
    virtual void SetLinkBaud(std::uint32_t) {}
    // Whether output queued now would reach the peer.
    virtual bool PeerListening() const = 0;
    // The peer's line settings where the transport shows them.
    virtual std::optional<PeerLineSettings> PeerLine() const { return std::nullopt; }
};

// Each returns nothing and sets error when the transport cannot be set up.
std::unique_ptr<ILink> OpenUdpLink(int port, std::string& error);
std::unique_ptr<ILink> OpenPtyLink(std::uint32_t linkBaud, std::string& error);
// A plain line on a pty: every byte goes out whatever rate the peer set (the simulator models
// what the peer's UART makes of it), and bytes the peer leaves unread for a second are dropped.
std::unique_ptr<ILink> OpenPtyBusLink(std::string& error);

} // namespace protmon::lmsim
