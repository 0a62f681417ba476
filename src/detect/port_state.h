#pragma once

#include <string>
#include <termios.h>

namespace protmon {

// The settings a serial device had before detection touched it, put back when it ends however it
// ends. Save also refuses a device that somebody else holds (exclusive mark or lock), so that
// detection never listens on a line shared with another program.
class TPortState {
public:
    TPortState() = default;
    TPortState(const TPortState&) = delete;
    TPortState& operator=(const TPortState&) = delete;
    ~TPortState() { Restore(); }

    // kPortOk, kPortBusy or kPortOpenFailed (errno in LastErrno()).
    int Save(const std::string& device);
    // Puts the saved settings back once; nothing when Save did not read any.
    void Restore();
    int LastErrno() const { return errno_; }
    // A pseudo-terminal: whoever plays the line writes error marks as characters, and the
    // terminal doubles every 0xFF of them once more.
    bool PseudoTerminal() const { return pseudoTerminal_; }

private:
    std::string device_;
    termios saved_{};
    bool have_ = false;
    int errno_ = 0;
    bool pseudoTerminal_ = false;
};

} // namespace protmon
