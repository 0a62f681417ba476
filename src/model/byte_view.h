#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace protmon {

// Read-only view of a byte area whose every access is bounds-checked: a read past the end yields
// 0 instead of touching memory outside the area. Decoders read telegram fields only through it.
class ByteView {
public:
    constexpr ByteView() = default;
    constexpr ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    template <std::size_t N>
    constexpr ByteView(const std::array<std::uint8_t, N>& a) : data_(a.data()), size_(N) {}
    constexpr ByteView(std::span<const std::uint8_t> s) : data_(s.data()), size_(s.size()) {}

    constexpr std::size_t size() const { return size_; }
    constexpr bool empty() const { return size_ == 0; }
    constexpr bool has(std::size_t offset, std::size_t count = 1) const {
        return offset <= size_ && count <= size_ - offset;
    }
    constexpr std::uint8_t at(std::size_t i) const { return i < size_ ? data_[i] : 0; }
    constexpr std::uint16_t be16(std::size_t i) const {
        return static_cast<std::uint16_t>((at(i) << 8) | at(i + 1));
    }
    constexpr std::uint32_t be32(std::size_t i) const {
        return (std::uint32_t{be16(i)} << 16) | be16(i + 2);
    }
    // The part [offset, offset + count) clipped to the area.
    constexpr ByteView sub(std::size_t offset, std::size_t count) const {
        if (offset >= size_)
            return {};
        return {data_ + offset, std::min(count, size_ - offset)};
    }
    constexpr const std::uint8_t* data() const { return data_; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace protmon
