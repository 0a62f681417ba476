#include "capture/udp_source.h"

#include "capture/capture_control.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <linux/sock_diag.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace protmon {

namespace {

constexpr int kListenerCheckMs = 50;   // how often an idle listener looks at the drop count
constexpr int kBatch = 32;             // datagrams taken from the socket in one system call
constexpr int kSocketBuffer = 8 << 20; // the system may grant less

// Frames MyUdpReadEvent will cut out of a datagram.
int CountFrames(ByteView d) {
    int frames = 0;
    std::size_t pos = 0;
    while (d.size() - pos >= 4) {
        const std::size_t more =
            std::min<std::size_t>(std::max(d.at(pos + 3) - 1, 0), d.size() - pos - 4);
        pos += 4 + more;
        ++frames;
    }
    return frames;
}

} // namespace

TUdpSource::TUdpSource(TUdpArgument remote) : remote_(std::move(remote)), queue_(kQueueDatagrams) {}

TUdpSource::~TUdpSource() {
    {
        std::lock_guard lock(queueLock_);
        stop_ = true;
    }
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t w = ::write(wakeFd_, &one, sizeof one);
    }
    queueRoom_.notify_all();
    if (listener_.joinable())
        listener_.join();
    if (fd_ >= 0)
        ::close(fd_);
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

bool TUdpSource::Resolve() {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (remote_.Host.empty() || ::getaddrinfo(remote_.Host.c_str(), nullptr, &hints, &found) != 0 ||
        found == nullptr) {
        failure_ = "Host name \"" + remote_.Host + "\" cannot be resolved.";
        return false;
    }
    remoteAddress_ = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return true;
}

bool TUdpSource::OpenSocket() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = 0;
    socklen_t len = sizeof any;
    if (fd_ < 0 || wakeFd_ < 0 ||
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&any), &len) != 0) {
        failure_ = "UDP socket not available.";
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return false;
    }
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &kSocketBuffer, sizeof kSocketBuffer);
    localPort_ = ntohs(any.sin_port);
    listener_ = std::thread([this] { ListenerLoop(); });
    return true;
}

int TUdpSource::ActivateListener() {
    failure_.clear();
    if (!Resolve())
        return kPortNoAnswer;
    if (fd_ < 0 && !OpenSocket())
        return kPortOpenFailed;
    Purge();
    return kPortOk;
}

void TUdpSource::ListenerLoop() {
    std::vector<std::array<std::uint8_t, kDatagramSize>> buffers(kBatch);
    std::array<sockaddr_in, kBatch> from{};
    std::array<iovec, kBatch> iov{};
    std::array<mmsghdr, kBatch> msgs{};
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    while (!stop_) {
        const int ready = ::poll(fds, 2, kListenerCheckMs);
        // The system's count of datagrams it dropped for want of room, looked at also when
        // nothing more arrives, so that the loss of a burst's tail is reported too.
        std::uint32_t info[SK_MEMINFO_VARS] = {};
        socklen_t infoLength = sizeof info;
        if (::getsockopt(fd_, SOL_SOCKET, SO_MEMINFO, info, &infoLength) == 0)
            systemDrops_ = info[SK_MEMINFO_DROPS];
        if (ready <= 0 || (fds[0].revents & POLLIN) == 0)
            continue;
        for (std::size_t i = 0; i < kBatch; ++i) {
            iov[i] = {buffers[i].data(), buffers[i].size()};
            msgs[i].msg_hdr = {};
            msgs[i].msg_hdr.msg_name = &from[i];
            msgs[i].msg_hdr.msg_namelen = sizeof from[i];
            msgs[i].msg_hdr.msg_iov = &iov[i];
            msgs[i].msg_hdr.msg_iovlen = 1;
        }
        const int n = ::recvmmsg(fd_, msgs.data(), kBatch, MSG_DONTWAIT, nullptr);
        for (std::size_t i = 0; n > 0 && i < static_cast<std::size_t>(n); ++i) {
            if (from[i].sin_addr.s_addr != remoteAddress_.load())
                continue;
            Enqueue(ByteView(buffers[i].data(), msgs[i].msg_len));
        }
    }
}

void TUdpSource::Enqueue(ByteView datagram) {
    std::unique_lock lock(queueLock_);
    // The hand-over waits for the UI thread, as a synchronous handler would.
    queueRoom_.wait(lock, [this] { return stop_ || queueTail_ - queueHead_ < queue_.size(); });
    if (stop_)
        return;
    TDatagram& d = queue_[queueTail_ % queue_.size()];
    d.Size = static_cast<int>(datagram.size());
    std::memcpy(d.Bytes.data(), datagram.data(), datagram.size());
    ++queueTail_;
}

void TUdpSource::CountDropped(int datagrams) {
    for (int i = 0; i < datagrams; ++i) {
        ++receiveErrors_;
        if (onError_)
            onError_();
    }
}

void TUdpSource::MyUdpReadEvent(ByteView datagram) {
    std::size_t pos = 0;
    while (datagram.size() - pos >= 4) {
        if (RingFull()) {
            CountDropped(1);
            return;
        }
        TSlot& slot = ring_[static_cast<std::size_t>(writeIndex_)];
        const std::size_t more =
            std::min<std::size_t>(std::max(datagram.at(pos + 3) - 1, 0), datagram.size() - pos - 4);
        const ByteView frame = datagram.sub(pos, 4 + more);
        std::memcpy(slot.Frame.data(), frame.data(), frame.size());
        slot.Count = static_cast<int>(frame.size());
        pos += frame.size();
        writeIndex_ = (writeIndex_ + 1) % kRingSlots;
    }
}

void TUdpSource::DeliverDatagrams() {
    const std::uint32_t drops = systemDrops_.load();
    if (drops != systemDropsSeen_) {
        CountDropped(static_cast<int>(drops - systemDropsSeen_));
        systemDropsSeen_ = drops;
    }
    std::size_t head = 0;
    std::size_t tail = 0;
    {
        std::lock_guard lock(queueLock_);
        head = queueHead_;
        tail = queueTail_;
    }
    if (head == tail)
        return;
    std::size_t done = head;
    for (; done != tail; ++done) {
        const TDatagram& d = queue_[done % queue_.size()];
        const ByteView bytes(d.Bytes.data(), static_cast<std::size_t>(d.Size));
        if (FramesWaiting() != 0 && CountFrames(bytes) > kRingSlots - 1 - FramesWaiting())
            break; // the reader makes room first
        MyUdpReadEvent(bytes);
    }
    {
        std::lock_guard lock(queueLock_);
        queueHead_ = done;
    }
    queueRoom_.notify_one();
}

void TUdpSource::Purge() {
    {
        std::lock_guard lock(queueLock_);
        queueHead_ = queueTail_;
    }
    queueRoom_.notify_one();
    writeIndex_ = readIndex_ = 0;
    systemDropsSeen_ = systemDrops_.load();
}

int TUdpSource::Read(std::uint8_t* destination, int maximum, int& count) {
    count = 0;
    DeliverDatagrams();
    if (readIndex_ == writeIndex_ || maximum <= 0)
        return kPortOk;
    const TSlot& slot = ring_[static_cast<std::size_t>(readIndex_)];
    count = std::min(slot.Count, maximum);
    std::memcpy(destination, slot.Frame.data(), static_cast<std::size_t>(count));
    readIndex_ = (readIndex_ + 1) % kRingSlots;
    return kPortOk;
}

int TUdpSource::Write(const std::uint8_t* source, int count) {
    if (fd_ < 0)
        return kPortNotOpen;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = remoteAddress_.load();
    to.sin_port = htons(static_cast<std::uint16_t>(remote_.Port));
    const ssize_t n = ::sendto(fd_, source, static_cast<std::size_t>(std::max(count, 0)), 0,
                               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return n < 0 ? 0 : static_cast<int>(n);
}

void ConnectUdpSource(TCaptureControl& control, TUdpSource& udp) {
    control.Link().SetDevice(udp, true);
    control.SetUdpSource(&udp);
    udp.SetReceiveErrorHandler([&control] { control.CountReceiveError(); });
}

} // namespace protmon
