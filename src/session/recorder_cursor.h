#pragma once

#include "model/telegram_list.h"

#include <vector>

namespace protmon {

// Finds the entries of a telegram list that arrived since the last call, in arrival order. The
// list is a ring that Stop rotates oldest-first, so the cursor remembers the newest entry it
// handed out by identity (entries keep their address) rather than by position.
class TListCursor {
public:
    // A new capture: every entry of the list is new.
    void Reset() { last_ = nullptr; }
    // Positions of the new entries, oldest first; `holdNewest` leaves the newest one for later
    // (a raw chunk still filling).
    void TakeNew(const TTelegramList& list, bool holdNewest, std::vector<int>& positions);

private:
    int FindLast(const TTelegramList& list) const;

    const TTelEntry* last_ = nullptr;
    int lastPosition_ = -1;
};

} // namespace protmon
