#include "files/byte_sink.h"

#include <cerrno>
#include <unistd.h>

namespace protmon {

void TStreamSink::Write(const void* data, std::size_t n) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    pending_.insert(pending_.end(), bytes, bytes + n);
}

bool TStreamSink::Flush() {
    std::size_t done = 0;
    while (!failed_ && done < pending_.size()) {
        const ssize_t n = ::write(fd_, pending_.data() + done, pending_.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            failed_ = true;
    }
    pending_.clear();
    return !failed_;
}

} // namespace protmon
