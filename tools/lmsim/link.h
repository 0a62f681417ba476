#pragma once

#include "model/byte_view.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace protmon::lmsim {

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
};

// Each returns nothing and sets error when the transport cannot be set up.
std::unique_ptr<ILink> OpenUdpLink(int port, std::string& error);
std::unique_ptr<ILink> OpenPtyLink(std::uint32_t linkBaud, std::string& error);

} // namespace protmon::lmsim
