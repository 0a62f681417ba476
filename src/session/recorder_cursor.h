#pragma once

#include "model/telegram_list.h"

#include <cstdint>
#include <vector>

namespace protmon {

// Finds the entries of a telegram list that arrived since the last call, in arrival order. It
// counts by the list's written total rather than by entry identity: entries are reused in place,
// so after a whole turn of the ring the entry seen last looks unchanged although every entry is
// new; and Stop's oldest-first rotation keeps the arrival order the positions are derived from.
class TListCursor {
public:
    // A new capture: every entry the list holds now, and every one written from now on, is new.
    void Reset(const TTelegramList& list);
    // A new capture whose entries are those the list hands out after `written` (its Written()
    // before the capture started): one the ring overwrote before the first look counts as lost.
    void StartAt(std::uint64_t written) {
        taken_ = written;
        fresh_ = false;
    }
    // Positions of the new entries, oldest first; `holdNewest` leaves the newest one for later
    // (a raw chunk still filling).
    void TakeNew(const TTelegramList& list, bool holdNewest, std::vector<int>& positions);
    // Entries the ring overwrote before a call could take them.
    std::uint64_t Lost() const { return lost_; }

private:
    bool fresh_ = true;       // before the first Reset or call: take what the list holds
    std::uint64_t taken_ = 0; // the list's written total up to which entries were handed out
    std::uint64_t lost_ = 0;
};

} // namespace protmon
