#include "capture/receive_buffer.h"

#include <algorithm>
#include <cstring>

namespace protmon {

void TReceiveBuffer::Commit(int count) {
    if (count > 0)
        fill_ = std::min(fill_ + count, kReceiveBufferSize);
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
        fill_ = 0;
        return;
    }
    std::memmove(bytes_.data(), bytes_.data() + count, static_cast<std::size_t>(fill_ - count));
    fill_ -= count;
}

} // namespace protmon
