#include "capture/receive_buffer.h"

#include <algorithm>
#include <cstring>

namespace protmon {

int TReceiveBuffer::ReadRoom() {
    if (start_ >= kReceiveBufferSize / 2 || fill_ == 0) {
        std::memmove(bytes_.data(), Data(), static_cast<std::size_t>(fill_));
        start_ = 0;
    }
    const int limit = kReceiveReadLimit - fill_;
    const int space = kReceiveBufferSize - start_ - fill_;
    return std::max(std::min(limit, space), 0);
}

void TReceiveBuffer::Commit(int count) {
    if (count > 0)
        fill_ = std::min(fill_ + count, kReceiveBufferSize - start_);
}

int TReceiveBuffer::Append(ByteView bytes) {
    const int n = std::min(ReadRoom(), static_cast<int>(bytes.size()));
    if (n <= 0)
        return 0;
    std::memcpy(WritePosition(), bytes.data(), static_cast<std::size_t>(n));
    fill_ += n;
    return n;
}

void TReceiveBuffer::Consume(int count) {
    if (count <= 0)
        return;
    if (count >= fill_) {
        Clear();
        return;
    }
    start_ += count;
    fill_ -= count;
}

} // namespace protmon
