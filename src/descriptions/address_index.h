#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace protmon {

// One pointer per parameter address 0 .. 32767, kept in pages of 128 addresses (the range of one
// group) that exist only once an address in them is set. A set of a few hundred parameters then
// costs a few kilobytes instead of a table of the whole address range, which matters for every
// description or language file loaded.
template <class T>
class TAddressIndex {
public:
    static constexpr std::size_t kAddressCount = 32768;

    // The entry of an address, nullptr when unset or outside the range.
    T* Get(std::size_t address) const {
        if (address >= kAddressCount)
            return nullptr;
        const std::uint16_t page = pageOf_[address / kPageSize];
        return page == 0 ? nullptr : pages_[page - 1u][address % kPageSize];
    }

    // Sets the entry unless it already has one; ignores an address outside the range.
    void SetIfEmpty(std::size_t address, T* value) {
        if (address >= kAddressCount)
            return;
        std::uint16_t& page = pageOf_[address / kPageSize];
        if (page == 0) {
            pages_.emplace_back();
            page = static_cast<std::uint16_t>(pages_.size());
        }
        T*& entry = pages_[page - 1u][address % kPageSize];
        if (entry == nullptr)
            entry = value;
    }

    void Clear() {
        pageOf_.fill(0);
        pages_.clear();
    }

private:
    static constexpr std::size_t kPageSize = 128;
    using Page = std::array<T*, kPageSize>;

    // Per page of addresses: 0 when absent, else its position in pages_ plus one.
    std::array<std::uint16_t, kAddressCount / kPageSize> pageOf_{};
    std::vector<Page> pages_;
};

} // namespace protmon
