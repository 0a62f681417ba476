#pragma once

#include "model/telegram_list.h"

#include <cstdint>
#include <vector>

namespace protmon {

// Which entries of a telegram list are new since the last look. It counts by the list's written
// total rather than by entry identity: entries are reused in place, so after a whole turn of the
// ring the entry seen last looks unchanged although every entry is new; and Stop's oldest-first
// rotation keeps the arrival order the positions are derived from.
//
// Two ways to look: TakeNew hands out the new entries one by one and counts those the ring
// overwrote first (a consumer that never starts over: printing, recording); Next/Commit tells a
// builder whether it can append or must start over (cleared, reloaded or overwritten entries).
class TListCursor {
public:
    struct TRange {
        bool Restart = false; // drop everything built so far, then take [From, To)
        int From = 0;
        int To = 0;
    };

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
    // How many entries the list handed out since the last look (more than it holds when some
    // were overwritten unseen); they count as seen from now on.
    std::uint64_t TakeCount(const TTelegramList& list);

    // The positions a builder has to take in; entries are new only when they were appended
    // behind those already read.
    TRange Next(const TTelegramList& list) const;
    // The list is taken as read up to its current end.
    void Commit(const TTelegramList& list);

private:
    bool fresh_ = true;       // before the first Reset or call: take what the list holds
    std::uint64_t taken_ = 0; // the list's written total up to which entries were handed out
    std::uint64_t lost_ = 0;
    // What a builder read last: a cleared or reloaded list differs in its first entry or count.
    int done_ = 0;
    const TTelEntry* lastEntry_ = nullptr;
    const TTelEntry* firstEntry_ = nullptr;
};

} // namespace protmon
