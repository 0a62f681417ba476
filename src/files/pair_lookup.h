#pragma once

#include "files/entry_times.h"
#include "model/capture_settings.h"

#include <cstdint>
#include <optional>

namespace protmon {

// A response's request and the time between them.
struct TPairInfo {
    int RequestPosition = -1;                 // -1: not a response, or no request found
    std::optional<std::int64_t> ResponseTime; // nanoseconds from the request to the response
};

// The one place where exports look up request/response pairs: the request that the decoder takes
// a coded response to answer (same rule as the row texts' parameter annotations).
TPairInfo LookUpPair(const TTelegramList& list, const TEntryTimes& times, int position,
                     const TCaptureSettings& settings);

} // namespace protmon
