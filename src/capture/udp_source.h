#pragma once

#include "capture/capture_hooks.h"
#include "capture/port_device.h"
#include "capture/udp_argument.h"
#include "model/byte_view.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace protmon {

class TCaptureControl;

// The line monitor reached over UDP: one IPv4 socket bound to any local address and a port the
// system chooses, a listener thread, and the ring of frame slots that the port layer's reads hand
// out one frame at a time. Commands go out as one datagram each to the configured host and port.
//
// The listener thread only receives: it queues each datagram that comes from the configured host
// and port (the box answers from the port we send to; anything else is ignored, so nobody else
// can inject telegrams). The datagram handler runs on the UI thread, inside Read, which hands the
// queued datagrams on while the ring has room for their frames; a datagram with more frames than
// the ring can take is continued at the next Read. While someone reads, the listener waits when
// its queue is full, so a burst backs up into the socket's receive buffer instead of being
// dropped; what the system still had to drop is counted like a datagram the full ring dropped:
// one receive error each. While nobody reads (capture stopped) it never waits, and Start empties
// the queue and the socket as well as the ring, so nothing from before a Start shows up after it.
class TUdpSource : public IPortDevice, public IUdpSource {
public:
    static constexpr int kRingSlots = 1024;
    // A slot holds a whole frame: marker, length byte up to 255 and what it announces.
    static constexpr int kMaxFrame = 3 + 255;
    // The largest UDP payload over IPv4: a datagram is never cut on our side.
    static constexpr int kMaxDatagram = 65507;
    static constexpr std::size_t kQueueDatagrams = 512;
    static constexpr std::size_t kQueueBytes = 4 << 20;

    // Losses on the way from the socket to the ring while someone reads, since construction.
    // Each datagram counted here was also one receive error.
    struct TDropCounts {
        std::uint64_t RingFullDatagrams = 0;  // datagrams whose rest a full ring dropped
        std::uint64_t RingFullFrames = 0;     // the frames in those rests
        std::uint64_t SystemDatagrams = 0;    // dropped by the system (socket buffer full) or by
                                              // a listener whose reader did not come for too long
        std::uint64_t TruncatedDatagrams = 0; // longer than the receive buffer; handed on cut
        std::uint64_t BadDatagrams = 0;       // not frames and replies only: too short, a length
                                              // beyond the end, no marker
    };

    // `maxDatagram` is the receive buffer per datagram (smaller only to try truncation).
    explicit TUdpSource(TUdpArgument remote, int maxDatagram = kMaxDatagram);
    ~TUdpSource() override;
    TUdpSource(const TUdpSource&) = delete;
    TUdpSource& operator=(const TUdpSource&) = delete;

    const TUdpArgument& Remote() const { return remote_; }

    // IUdpSource: resolves the host, binds the socket and starts the listener the first time;
    // every call empties the ring, the queue and the socket. kPortOk, kPortOpenFailed (no socket)
    // or kPortNoAnswer (the host name cannot be resolved).
    int ActivateListener() override;
    std::string ActivationFailureText() const override { return failure_; }
    bool Active() const { return fd_ >= 0; }
    // The port the system chose; 0 before activation.
    int LocalPort() const { return localPort_; }

    // Cuts one datagram into frames, each into the slot at the write index: four bytes, then the
    // rest its length byte announces as far as the datagram holds it. A full ring drops the rest
    // of the datagram and counts one receive error.
    void MyUdpReadEvent(ByteView datagram);
    // Hands queued datagrams to the ring while it has room. Called by Read; UI thread only.
    void DeliverDatagrams();
    // Called once for every datagram that was dropped or cut; UI thread.
    void SetReceiveErrorHandler(std::function<void()> handler) { onError_ = std::move(handler); }
    int ReceiveErrors() const { return receiveErrors_; }
    // Datagrams from the box since construction, counted on arrival (also those a Purge or a
    // loss drops): over UDP nothing else tells that the box is still there. Any thread.
    std::uint64_t DatagramsReceived() const { return datagrams_.load(); }
    const TDropCounts& DropCounts() const { return drops_; }
    // Datagrams lost on the listener's side so far (the system's drops since the socket was
    // opened, and those the listener dropped while the reader stayed away), before the next Read
    // counts them as receive errors. Any thread.
    std::uint64_t ListenerLosses() const {
        return std::uint64_t{systemDrops_.load()} + listenerDrops_.load();
    }
    int FramesWaiting() const { return (writeIndex_ - readIndex_ + kRingSlots) % kRingSlots; }

    // IPortDevice, datagram style. Read hands out the frame of one slot (at most `maximum` bytes);
    // Write sends one datagram.
    int Open(const std::string&, int, int, char, int) override { return kPortOk; }
    int Close() override { return kPortOk; }
    bool IsOpen() const override { return Active(); }
    int Read(std::uint8_t* destination, int maximum, int& count) override;
    int Write(const std::uint8_t* source, int count) override;
    int TakeError() override { return kRxNone; }
    // Empties the ring, the queue and what the socket holds.
    void Purge() override;
    int SetRts() override { return kPortOk; }
    int ClearRts() override { return kPortOk; }
    int ClearDtr() override { return kPortOk; }
    int SetEventHandler(std::uint32_t, PortEventHandler) override { return kPortOk; }

private:
    struct TSlot {
        int Count = 0;
        std::array<std::uint8_t, kMaxFrame> Frame{};
    };
    struct TDatagram {
        std::vector<std::uint8_t> Bytes;
        bool Truncated = false;
    };

    bool Resolve();
    bool OpenSocket();
    void ListenerLoop();
    std::uint32_t SystemDropCount() const;
    void Enqueue(ByteView datagram, bool truncated, std::uint64_t generation);
    bool QueueHasRoom(std::size_t size) const; // under queueLock_
    void NoteReader();
    // Frames from `pos` on into free slots; returns where it stopped.
    std::size_t CutFrames(ByteView datagram, std::size_t pos);
    bool RingFull() const { return (writeIndex_ + 1) % kRingSlots == readIndex_; }
    void CountDropped(int datagrams);
    void TakeDropCounts();

    TUdpArgument remote_;
    int maxDatagram_;
    std::string failure_;
    int fd_ = -1;
    int wakeFd_ = -1;
    int localPort_ = 0;
    std::atomic<std::uint32_t> remoteAddress_{0}; // network order, read by the listener
    std::uint16_t remotePort_ = 0;                // network order
    std::thread listener_;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> datagrams_{0}; // from the box, written by the listener

    // Listener -> UI thread: a ring of datagrams. The listener fills the one at the tail, the UI
    // thread works on those from the head on without the lock and then advances it.
    std::mutex queueLock_;
    std::condition_variable queueRoom_;
    std::vector<TDatagram> queue_;
    std::size_t queueHead_ = 0; // counts, taken modulo the queue size
    std::size_t queueTail_ = 0;
    std::size_t queueBytes_ = 0;
    std::uint64_t generation_ = 0;          // advanced by Purge: what was received before is stale
    std::atomic<std::int64_t> lastRead_{0}; // steady clock, ms; 0 while nobody reads
    std::atomic<std::uint32_t> systemDrops_{0};   // the socket's drop counter
    std::atomic<std::uint32_t> listenerDrops_{0}; // dropped while the reader stayed away
    std::uint32_t systemDropsSeen_ = 0;
    std::uint32_t listenerDropsSeen_ = 0;

    // UI thread only.
    std::vector<TSlot> ring_ = std::vector<TSlot>(kRingSlots);
    int writeIndex_ = 0;
    int readIndex_ = 0;
    std::size_t headOffset_ = 0; // frames of the head datagram already in the ring
    int receiveErrors_ = 0;
    TDropCounts drops_;
    std::function<void()> onError_;
};

// Puts the UDP source behind capture control: the link's device in datagram mode, Start
// activates the listener and switches "Monitor" on once, dropped datagrams count as receive
// errors.
void ConnectUdpSource(TCaptureControl& control, TUdpSource& udp);

} // namespace protmon
