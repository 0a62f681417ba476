#include "model/telegram_list.h"

#include <algorithm>

namespace protmon {

TTelegramList::TTelegramList() {
    entries_.reserve(static_cast<std::size_t>(capacity_));
}

TTelEntry* TTelegramList::NewTelEntry() {
    ++written_;
    if (writeIndex_ < 0 || writeIndex_ >= Count()) {
        if (Count() < capacity_) {
            entries_.push_back(std::make_unique<TTelEntry>());
            entries_.back()->ReceiveTime = receiveTime_;
            return entries_.back().get();
        }
        writeIndex_ = 0;
    }
    TTelEntry* e = entries_[static_cast<std::size_t>(writeIndex_)].get();
    if (++writeIndex_ >= capacity_)
        writeIndex_ = 0;
    // A reused entry starts as a fresh one: bytes and time stamp of the telegram it held must not
    // show through behind a shorter one (nor be saved with it).
    *e = TTelEntry{};
    e->ReceiveTime = receiveTime_;
    return e;
}

TTelEntry* TTelegramList::GetLastTelEntry() {
    const int n = Count();
    if (n == 0)
        return nullptr;
    if (writeIndex_ == 1 || n == 1)
        return entries_.back().get();
    if (writeIndex_ < 1)
        return entries_[static_cast<std::size_t>(n - 2)].get();
    return entries_[static_cast<std::size_t>(writeIndex_ - 2)].get();
}

const TTelEntry* TTelegramList::Newest() const {
    if (entries_.empty())
        return nullptr;
    return At(writeIndex_ >= 1 ? writeIndex_ - 1 : Count() - 1);
}

void TTelegramList::UnwrapTelegramList() {
    if (writeIndex_ <= 0)
        return;
    const auto pivot =
        std::min<std::size_t>(static_cast<std::size_t>(writeIndex_), entries_.size());
    std::rotate(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(pivot),
                entries_.end());
    writeIndex_ = 0;
}

void TTelegramList::Clear() {
    entries_.clear();
    entries_.shrink_to_fit();
    writeIndex_ = -1;
    capacity_ = bufferDepth_;
    entries_.reserve(static_cast<std::size_t>(capacity_));
}

void TTelegramList::SetBufferDepth(int depth) {
    depth = std::max(depth, kMinBufferDepth);
    bufferDepth_ = depth;
    capacity_ = depth;
    if (Count() > depth) {
        entries_.resize(static_cast<std::size_t>(depth));
        writeIndex_ = 0;
    } else {
        writeIndex_ = -1;
    }
}

TTelEntry* TTelegramList::AppendEntry() {
    entries_.push_back(std::make_unique<TTelEntry>());
    return entries_.back().get();
}

void TTelegramList::FinishLoading() {
    writeIndex_ = -1;
    if (Count() > capacity_) {
        capacity_ = Count();
        writeIndex_ = 0;
    }
}

TTelEntry* TTelegramList::At(int position) {
    if (position < 0 || position >= Count())
        return nullptr;
    return entries_[static_cast<std::size_t>(position)].get();
}

const TTelEntry* TTelegramList::At(int position) const {
    if (position < 0 || position >= Count())
        return nullptr;
    return entries_[static_cast<std::size_t>(position)].get();
}

} // namespace protmon
