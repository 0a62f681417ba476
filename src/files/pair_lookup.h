#pragma once

#include "analysis/transaction_table.h"
#include "model/capture_settings.h"

#include <cstdint>
#include <optional>

namespace protmon {

// A response's request and the time between them.
struct TPairInfo {
    int RequestPosition = -1;                 // -1: not a response, or no request found
    std::optional<std::int64_t> ResponseTime; // nanoseconds from the request to the response
};

// Request/response pairs of a stopped recording for the exports, from the transaction analysis,
// so that the exports show the pairs and response times the window and `stats` show.
class TPairLookup {
public:
    TPairLookup(const TTelegramList& list, const TCaptureSettings& settings);
    TPairInfo At(int position) const;

private:
    const TTelegramList& list_;
    TTransactionTable table_;
};

} // namespace protmon
