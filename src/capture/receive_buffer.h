#pragma once

#include "capture/byte_view.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace protmon {

constexpr int kReceiveBufferSize = 10004;
// A read asks for at most this many bytes minus the fill count, which leaves headroom for the
// assemblers to look a few bytes past the fill count.
constexpr int kReceiveReadLimit = 9960;

// The receive buffer shared by the assemblers and the device command exchanges. Consumed bytes are
// removed from the start by moving the rest down.
class TReceiveBuffer {
public:
    const std::uint8_t* Data() const { return bytes_.data(); }
    std::uint8_t* Data() { return bytes_.data(); }
    int Fill() const { return fill_; }
    ByteView View() const { return ByteView(bytes_.data(), static_cast<std::size_t>(fill_)); }
    // Byte at i, 0 beyond the fill count.
    std::uint8_t At(int i) const { return i >= 0 && i < fill_ ? bytes_[i] : 0; }
    void Set(int i, std::uint8_t value) {
        if (i >= 0 && i < fill_)
            bytes_[i] = value;
    }

    // Room a read may fill now: kReceiveReadLimit minus the fill count, never below 0.
    int ReadRoom() const { return fill_ < kReceiveReadLimit ? kReceiveReadLimit - fill_ : 0; }
    // Where a read puts its bytes, and how the caller reports what it put there.
    std::uint8_t* WritePosition() { return bytes_.data() + fill_; }
    void Commit(int count);
    // Appends as much of `bytes` as the read room allows; returns the number appended.
    int Append(ByteView bytes);
    // Removes `count` bytes from the start (all of them if count exceeds the fill count).
    void Consume(int count);
    void Clear() { fill_ = 0; }

private:
    std::array<std::uint8_t, kReceiveBufferSize> bytes_{};
    int fill_ = 0;
};

} // namespace protmon
