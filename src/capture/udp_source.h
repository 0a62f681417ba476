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
// The listener thread only receives: it queues each datagram from the configured host (others
// are ignored, so nobody else on the network can inject telegrams). The datagram handler
// MyUdpReadEvent runs on the UI thread, inside Read, which first hands the queued datagrams to it
// while the ring has room for their frames; the listener waits while its queue is full, so a
// burst backs up into the socket's receive buffer instead of being dropped. What the system still
// had to drop is counted like a datagram the full ring dropped: one receive error each.
class TUdpSource : public IPortDevice, public IUdpSource {
public:
    static constexpr int kRingSlots = 1024;
    // A slot holds a whole frame: marker, length byte up to 255 and what it announces.
    static constexpr int kMaxFrame = 3 + 255;
    static constexpr int kDatagramSize = 8192;
    static constexpr std::size_t kQueueDatagrams = 512;

    explicit TUdpSource(TUdpArgument remote);
    ~TUdpSource() override;
    TUdpSource(const TUdpSource&) = delete;
    TUdpSource& operator=(const TUdpSource&) = delete;

    const TUdpArgument& Remote() const { return remote_; }

    // IUdpSource: resolves the host, binds the socket and starts the listener the first time;
    // every call empties the ring and the queue. kPortOk, kPortOpenFailed (no socket) or
    // kPortNoAnswer (the host name cannot be resolved).
    int ActivateListener() override;
    std::string ActivationFailureText() const override { return failure_; }
    bool Active() const { return fd_ >= 0; }
    // The port the system chose; 0 before activation.
    int LocalPort() const { return localPort_; }

    // Cuts one datagram into frames, each into the slot at the write index: four bytes, then the
    // rest its length byte announces as far as the datagram holds it. A full ring drops the rest
    // of the datagram and counts one receive error.
    void MyUdpReadEvent(ByteView datagram);
    // Hands queued datagrams to MyUdpReadEvent while the ring can take their frames (an empty
    // ring takes any datagram). Called by Read; UI thread only.
    void DeliverDatagrams();
    // Called once for every datagram that was dropped; UI thread.
    void SetReceiveErrorHandler(std::function<void()> handler) { onError_ = std::move(handler); }
    int ReceiveErrors() const { return receiveErrors_; }
    int FramesWaiting() const { return (writeIndex_ - readIndex_ + kRingSlots) % kRingSlots; }

    // IPortDevice, datagram style. Read hands out the frame of one slot (at most `maximum` bytes);
    // Write sends one datagram.
    int Open(const std::string&, int, int, char, int) override { return kPortOk; }
    int Close() override { return kPortOk; }
    bool IsOpen() const override { return Active(); }
    int Read(std::uint8_t* destination, int maximum, int& count) override;
    int Write(const std::uint8_t* source, int count) override;
    int TakeError() override { return kRxNone; }
    // Empties the ring and the queue.
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

    bool Resolve();
    bool OpenSocket();
    void ListenerLoop();
    void Enqueue(ByteView datagram);
    bool RingFull() const { return (writeIndex_ + 1) % kRingSlots == readIndex_; }
    void CountDropped(int datagrams);

    TUdpArgument remote_;
    std::string failure_;
    int fd_ = -1;
    int wakeFd_ = -1;
    int localPort_ = 0;
    std::atomic<std::uint32_t> remoteAddress_{0}; // network order, read by the listener
    std::thread listener_;
    std::atomic<bool> stop_{false};

    // Listener -> UI thread: a ring of datagram buffers. The listener fills the one at the tail,
    // the UI thread works on those from the head on without the lock and then advances it.
    struct TDatagram {
        int Size = 0;
        std::array<std::uint8_t, kDatagramSize> Bytes;
    };
    std::mutex queueLock_;
    std::condition_variable queueRoom_;
    std::vector<TDatagram> queue_;
    std::size_t queueHead_ = 0; // counts, taken modulo the queue size
    std::size_t queueTail_ = 0;
    std::atomic<std::uint32_t> systemDrops_{0}; // the socket's drop counter
    std::uint32_t systemDropsSeen_ = 0;

    // UI thread only.
    std::vector<TSlot> ring_ = std::vector<TSlot>(kRingSlots);
    int writeIndex_ = 0;
    int readIndex_ = 0;
    int receiveErrors_ = 0;
    std::function<void()> onError_;
};

// Puts the UDP source behind capture control: the link's device in datagram mode, Start
// activates the listener and switches "Monitor" on once, dropped datagrams count as receive
// errors.
void ConnectUdpSource(TCaptureControl& control, TUdpSource& udp);

} // namespace protmon
