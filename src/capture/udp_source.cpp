#include "capture/udp_source.h"

#include "capture/capture_control.h"
#include "capture/line_monitor.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <linux/sock_diag.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace protmon {

namespace {

constexpr int kListenerCheckMs = 50;   // how often an idle listener looks at the drop count
constexpr int kBatch = 32;             // datagrams taken from the socket in one system call
constexpr int kSocketBuffer = 8 << 20; // the system may grant less
// A reader that has not come for this long is taken to be gone (capture stopped): the listener
// then drops instead of waiting. The poll tick reads every millisecond, reply waits every 50.
constexpr std::int64_t kReaderGoneMs = 250;
constexpr std::size_t kKeptCapacity = 8192; // larger datagram buffers are freed after use
constexpr int kMaxDrain = 1 << 16;          // stale datagrams taken off the socket at Purge
// The reader takes the queue once per poll tick (1 ms at the fastest), so waking for every
// datagram of a fast stream gains nothing and costs more than the receiving. After a batch that
// emptied the socket the listener pauses this long and lets the next datagrams gather there; the
// socket buffer holds far more than arrives meanwhile.
constexpr auto kGatherPause = std::chrono::milliseconds(1);

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Bytes one frame takes from `pos` on: four, then what its length byte announces as far as the
// datagram holds it.
std::size_t FrameSize(ByteView d, std::size_t pos) {
    return 4 + std::min<std::size_t>(std::max(d.at(pos + 3) - 1, 0), d.size() - pos - 4);
}

// Frames that will be cut out of a datagram from `pos` on.
int CountFrames(ByteView d, std::size_t pos) {
    int frames = 0;
    while (d.size() >= pos + 4) {
        pos += FrameSize(d, pos);
        ++frames;
    }
    return frames;
}

// Whether the datagram is whole frames and replies (marker and status) only: anything else
// loses what it carries at the frame reader without a trace.
bool Usable(ByteView d) {
    std::size_t pos = 0;
    while (pos < d.size()) {
        if (d.size() < pos + 4 || d.at(pos) != kLmMarker[0] || d.at(pos + 1) != kLmMarker[1] ||
            d.at(pos + 2) != kLmMarker[2])
            return false;
        const std::size_t length = d.at(pos + 3);
        const bool reply = d.size() == pos + 4;
        if (!reply && (length < 4 || d.size() < pos + 3 + length))
            return false;
        pos += reply ? 4 : 3 + length;
    }
    return d.size() > 0;
}

} // namespace

TUdpSource::TUdpSource(TUdpArgument remote, int maxDatagram)
    : remote_(std::move(remote)), maxDatagram_(std::clamp(maxDatagram, 4, kMaxDatagram)),
      remotePort_(htons(static_cast<std::uint16_t>(remote_.Port))), queue_(kQueueDatagrams) {}

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

std::uint32_t TUdpSource::SystemDropCount() const {
    std::uint32_t info[SK_MEMINFO_VARS] = {};
    socklen_t infoLength = sizeof info;
    if (fd_ < 0 || ::getsockopt(fd_, SOL_SOCKET, SO_MEMINFO, info, &infoLength) != 0)
        return systemDrops_.load();
    return info[SK_MEMINFO_DROPS];
}

void TUdpSource::ListenerLoop() {
    std::vector<std::vector<std::uint8_t>> buffers(
        kBatch, std::vector<std::uint8_t>(static_cast<std::size_t>(maxDatagram_)));
    std::array<sockaddr_in, kBatch> from{};
    std::array<iovec, kBatch> iov{};
    std::array<mmsghdr, kBatch> msgs{};
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    while (!stop_) {
        const int ready = ::poll(fds, 2, kListenerCheckMs);
        // The system's count of datagrams it dropped for want of room, looked at also when
        // nothing more arrives, so that the loss of a burst's tail is reported too.
        systemDrops_ = SystemDropCount();
        if (ready <= 0 || (fds[0].revents & POLLIN) == 0)
            continue;
        std::uint64_t generation = 0;
        {
            std::lock_guard lock(queueLock_);
            generation = generation_;
        }
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
            if (from[i].sin_addr.s_addr != remoteAddress_.load() || from[i].sin_port != remotePort_)
                continue;
            ++datagrams_;
            const std::size_t size = std::min<std::size_t>(msgs[i].msg_len, buffers[i].size());
            Enqueue(ByteView(buffers[i].data(), size), (msgs[i].msg_hdr.msg_flags & MSG_TRUNC) != 0,
                    generation);
        }
        if (n < kBatch && !stop_)
            std::this_thread::sleep_for(kGatherPause);
    }
}

bool TUdpSource::QueueHasRoom(std::size_t size) const {
    const std::size_t queued = queueTail_ - queueHead_;
    return queued == 0 || (queued < queue_.size() && queueBytes_ + size <= kQueueBytes);
}

void TUdpSource::Enqueue(ByteView datagram, bool truncated, std::uint64_t generation) {
    std::unique_lock lock(queueLock_);
    // The hand-over waits for the reader, as a synchronous handler would, but only while there
    // is one: a stopped capture must not leave the listener stuck on stale datagrams.
    while (!stop_ && generation == generation_ && !QueueHasRoom(datagram.size())) {
        const std::int64_t last = lastRead_.load();
        const std::int64_t now = NowMs();
        if (last == 0 || now - last >= kReaderGoneMs) {
            ++listenerDrops_;
            return;
        }
        queueRoom_.wait_for(lock, std::chrono::milliseconds(kReaderGoneMs - (now - last)));
    }
    if (stop_ || generation != generation_)
        return; // received before the last Purge
    TDatagram& d = queue_[queueTail_ % queue_.size()];
    d.Bytes.assign(datagram.data(), datagram.data() + datagram.size());
    d.Truncated = truncated;
    queueBytes_ += datagram.size();
    ++queueTail_;
}

void TUdpSource::CountDropped(int datagrams) {
    for (int i = 0; i < datagrams; ++i) {
        ++receiveErrors_;
        if (onError_)
            onError_();
    }
}

std::size_t TUdpSource::CutFrames(ByteView datagram, std::size_t pos) {
    while (datagram.size() >= pos + 4 && !RingFull()) {
        TSlot& slot = ring_[static_cast<std::size_t>(writeIndex_)];
        const ByteView frame = datagram.sub(pos, FrameSize(datagram, pos));
        std::memcpy(slot.Frame.data(), frame.data(), frame.size());
        slot.Count = static_cast<int>(frame.size());
        pos += frame.size();
        writeIndex_ = (writeIndex_ + 1) % kRingSlots;
    }
    return pos;
}

void TUdpSource::MyUdpReadEvent(ByteView datagram) {
    if (!Usable(datagram))
        ++drops_.BadDatagrams;
    const std::size_t pos = CutFrames(datagram, 0);
    if (datagram.size() < pos + 4)
        return;
    ++drops_.RingFullDatagrams;
    drops_.RingFullFrames += static_cast<std::uint64_t>(CountFrames(datagram, pos));
    CountDropped(1);
}

void TUdpSource::NoteReader() {
    lastRead_ = NowMs();
}

void TUdpSource::TakeDropCounts() {
    const std::uint32_t system = systemDrops_.load();
    const std::uint32_t listener = listenerDrops_.load();
    const std::uint32_t lost = (system - systemDropsSeen_) + (listener - listenerDropsSeen_);
    systemDropsSeen_ = system;
    listenerDropsSeen_ = listener;
    drops_.SystemDatagrams += lost;
    CountDropped(static_cast<int>(lost));
}

void TUdpSource::DeliverDatagrams() {
    NoteReader();
    TakeDropCounts();
    std::size_t head = 0;
    std::size_t tail = 0;
    {
        std::lock_guard lock(queueLock_);
        head = queueHead_;
        tail = queueTail_;
    }
    std::size_t done = head;
    std::size_t freed = 0;
    for (; done != tail; ++done) {
        TDatagram& d = queue_[done % queue_.size()];
        const ByteView bytes(d.Bytes.data(), d.Bytes.size());
        headOffset_ = CutFrames(bytes, headOffset_);
        if (bytes.size() >= headOffset_ + 4)
            break; // the ring is full: the reader makes room first
        if (!Usable(bytes))
            ++drops_.BadDatagrams;
        if (d.Truncated) {
            ++drops_.TruncatedDatagrams;
            CountDropped(1);
        }
        headOffset_ = 0;
        freed += d.Bytes.size();
        if (d.Bytes.capacity() > kKeptCapacity)
            std::vector<std::uint8_t>().swap(d.Bytes);
    }
    if (done == head)
        return;
    {
        std::lock_guard lock(queueLock_);
        queueHead_ = done;
        queueBytes_ -= freed;
    }
    queueRoom_.notify_one();
}

void TUdpSource::Purge() {
    // Datagrams still in the socket are from before too.
    for (int i = 0; fd_ >= 0 && i < kMaxDrain; ++i) {
        if (::recv(fd_, nullptr, 0, MSG_DONTWAIT | MSG_TRUNC) < 0)
            break;
    }
    {
        std::lock_guard lock(queueLock_);
        ++generation_;
        queueHead_ = queueTail_;
        queueBytes_ = 0;
    }
    queueRoom_.notify_all();
    headOffset_ = 0;
    writeIndex_ = readIndex_ = 0;
    NoteReader();
    systemDrops_ = SystemDropCount();
    systemDropsSeen_ = systemDrops_.load();
    listenerDropsSeen_ = listenerDrops_.load();
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
    to.sin_port = remotePort_;
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
