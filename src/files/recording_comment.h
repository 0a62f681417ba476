#pragma once

#include "files/monitor_header.h"

#include <string>
#include <string_view>

namespace protmon {

// The section comment of an exported recording: a title line, the fifteen monitor file settings
// as `protmon-cli info` names them ("Protocol: 0"), the port the recording came from, and a line
// that says where the packet times come from. Importing reads the settings and the port back.
struct TRecordingComment {
    THeaderValues Header{};
    std::string PortText;
    // Bit (1 << TimeBasis) for each basis that some packet's time has.
    unsigned TimeBases = 0;
};

std::string MakeRecordingComment(const TRecordingComment& c);

// False unless every one of the fifteen settings is present with a decimal value.
bool ParseRecordingComment(std::string_view text, TRecordingComment& out);

// A text without control characters, as the section's and interfaces' texts must be one line.
std::string OneLine(std::string_view text);

} // namespace protmon
