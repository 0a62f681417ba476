#pragma once

#include "session/recorder_policy.h"

#include <string>
#include <vector>

namespace protmon {

// Holds PREFIX.lock locked (flock) while one recorder records with PREFIX, so that a second one
// is refused instead of writing the same names. The lock goes with the process, also a killed
// one; the file stays.
class TPrefixLock {
public:
    TPrefixLock() = default;
    ~TPrefixLock();
    TPrefixLock(const TPrefixLock&) = delete;
    TPrefixLock& operator=(const TPrefixLock&) = delete;

    // False with `error` (path and reason) when the lock is held elsewhere or cannot be made.
    bool Take(const std::string& prefix, std::string& error);

private:
    int fd_ = -1;
};

// The finished files of earlier runs with this prefix and format, oldest first.
std::vector<std::string> EarlierRecordFiles(const std::string& prefix, RecordingFormat format);

// A temporary file that a killed recorder left, as found at the start of the next one.
struct TLeftover {
    std::string Temp;
    std::string Final;     // the name it now has; empty when it held nothing and was removed
    long long Entries = 0; // whole entries kept
    int Error = 0;         // errno when it could not be finished; it then stays as it was
};

// Finishes the temporary files of this prefix that a killed recorder left: cut to whole entries,
// the header count set, synced and given the name they were to have (or the next free one).
std::vector<TLeftover> RecoverLeftovers(const std::string& prefix);

// `path`, or the first name after it in the sequence that nothing has taken.
std::string FreeRecordName(std::string path);

} // namespace protmon
