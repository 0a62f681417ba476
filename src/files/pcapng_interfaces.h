#pragma once

#include "model/capture_settings.h"

#include <cstdint>
#include <string>

namespace protmon {

// Name and description of the pcapng interface of one source of a recording: the serial line
// (Channel 256) or a line-monitor channel, with port, baud rate and protocol.
struct TInterfaceTexts {
    std::string Name;
    std::string Description;
};

TInterfaceTexts InterfaceTexts(const TCaptureSettings& s, std::uint16_t channel);

} // namespace protmon
