#pragma once

#include <cstdint>

namespace protmon {

class TTelegramList;
struct TTelEntry;

// Tells an incremental builder which entries are new since its last update. Entries are only
// ever appended while the list grows; a cleared or reloaded list, a shorter one, or a ring that
// overwrites its oldest entries in place (a full buffer during capture) means starting over.
class TListFollower {
public:
    struct TRange {
        bool Restart = false; // drop everything built so far, then take [From, To)
        int From = 0;
        int To = 0;
    };

    TRange Next(const TTelegramList& list);
    // The list is taken as read up to its current end.
    void Commit(const TTelegramList& list);
    void Reset() { *this = TListFollower{}; }

private:
    int done_ = 0;
    std::uint64_t written_ = 0;
    const TTelEntry* lastEntry_ = nullptr;
    const TTelEntry* firstEntry_ = nullptr;
};

} // namespace protmon
