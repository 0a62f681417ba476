#pragma once

#include <deque>
#include <utility>

namespace protmon {

// Ordered list that owns its records. A deque keeps references stable while records are
// appended, so a parameter may point at a plain-text entry of the same set.
template <class T>
class TRecList {
public:
    // The record at index, or nullptr when index is below 0 or not below the count.
    const T* Items(int index) const {
        return index >= 0 && index < Count() ? &items_[static_cast<std::size_t>(index)] : nullptr;
    }
    T* Items(int index) {
        return index >= 0 && index < Count() ? &items_[static_cast<std::size_t>(index)] : nullptr;
    }
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    T& Add(T&& item) { return items_.emplace_back(std::move(item)); }
    T& Add(const T& item) { return items_.emplace_back(item); }
    // A default record built in place: records that hold lists allocate on every move.
    T& AddNew() { return items_.emplace_back(); }
    void RemoveLast() {
        if (!items_.empty())
            items_.pop_back();
    }
    void Clear() { items_.clear(); }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::deque<T> items_;
};

} // namespace protmon
