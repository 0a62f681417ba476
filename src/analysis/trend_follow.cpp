#include "analysis/trend_follow.h"

#include "model/telegram_list.h"

namespace protmon {

TListFollower::TRange TListFollower::Next(const TTelegramList& list) {
    const int count = list.Count();
    // Entries are new only when they were appended behind those already read: every entry
    // written since the last look must have lengthened the list. A full ring overwrites in place
    // (even an exact full turn keeps the same entry objects and write index), and a list that was
    // cleared or loaded differs in its first entry or its count.
    const std::uint64_t written = list.Written() - written_;
    const bool same = done_ <= count && written == static_cast<std::uint64_t>(count - done_) &&
                      list.At(0) == firstEntry_ && (done_ == 0 || list.At(done_ - 1) == lastEntry_);
    if (!same)
        return {true, 0, count};
    return {false, done_, count};
}

void TListFollower::Commit(const TTelegramList& list) {
    done_ = list.Count();
    written_ = list.Written();
    firstEntry_ = list.At(0);
    lastEntry_ = list.At(done_ - 1);
}

} // namespace protmon
