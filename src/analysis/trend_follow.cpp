#include "analysis/trend_follow.h"

#include "model/telegram_list.h"

namespace protmon {

TListFollower::TRange TListFollower::Next(const TTelegramList& list) {
    const int count = list.Count();
    // A ring whose write index came round to 0 since the last look keeps its entry objects but
    // not their contents: the write index must be the one seen then.
    const bool same = done_ <= count && list.WriteIndex() <= 0 &&
                      list.WriteIndex() == writeIndex_ && list.At(0) == firstEntry_ &&
                      (done_ == 0 || list.At(done_ - 1) == lastEntry_);
    if (!same)
        return {true, 0, count};
    return {false, done_, count};
}

void TListFollower::Commit(const TTelegramList& list) {
    done_ = list.Count();
    writeIndex_ = list.WriteIndex();
    firstEntry_ = list.At(0);
    lastEntry_ = list.At(done_ - 1);
}

} // namespace protmon
