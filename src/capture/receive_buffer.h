#pragma once

#include "model/byte_view.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace protmon {

constexpr int kReceiveBufferSize = 10004;
// A read asks for at most this many bytes minus the fill count.
constexpr int kReceiveReadLimit = 9960;

// The receive buffer shared by the assemblers and the device command exchanges. Consumed bytes are
// removed from the start; the rest is moved down only once the start has passed half the buffer,
// so cutting many short telegrams out of a full buffer does not move it over and over.
class TReceiveBuffer {
public:
    // The buffered bytes start here; valid up to Fill().
    const std::uint8_t* Data() const { return bytes_.data() + start_; }
    std::uint8_t* Data() { return bytes_.data() + start_; }
    int Fill() const { return fill_; }
    ByteView View() const { return ByteView(Data(), static_cast<std::size_t>(fill_)); }
    // Byte at i, 0 beyond the fill count.
    std::uint8_t At(int i) const { return i >= 0 && i < fill_ ? Data()[i] : 0; }
    void Set(int i, std::uint8_t value) {
        if (i >= 0 && i < fill_)
            Data()[i] = value;
    }

    // Room a read may fill now: kReceiveReadLimit minus the fill count (never below 0), less
    // while consumed bytes still occupy the start.
    int ReadRoom();
    // Where a read puts at most the ReadRoom() just returned, and how the caller reports what it
    // put there. Prefer TCaptureLink::ReadIntoBuffer or Append.
    std::uint8_t* WritePosition() { return bytes_.data() + start_ + fill_; }
    void Commit(int count);
    // Appends as much of `bytes` as the read room allows; returns the number appended.
    int Append(ByteView bytes);
    // Removes `count` bytes from the start (all of them if count exceeds the fill count).
    void Consume(int count);
    void Clear() { start_ = fill_ = 0; }

private:
    std::array<std::uint8_t, kReceiveBufferSize> bytes_{};
    int start_ = 0;
    int fill_ = 0;
};

} // namespace protmon
