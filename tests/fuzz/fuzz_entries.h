#pragma once

// Entries of a telegram list from fuzz input, shared by the analysis harnesses.
#include "model/telegram_list.h"

#include <algorithm>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <limits>

namespace protmon::fuzz {

// One entry: channel (mostly none or a few letters), time stamp, receive time (small steps or any
// non-negative value) and up to 52 data bytes.
inline void FillEntry(FuzzedDataProvider& in, TTelEntry& e, std::int64_t& clock) {
    const std::uint8_t channel = in.ConsumeIntegral<std::uint8_t>();
    e.Channel = channel >= 8 ? kNoChannel : channel;
    e.TimeStamp = in.ConsumeIntegral<std::uint16_t>();
    if (in.ConsumeBool()) {
        clock += in.ConsumeIntegral<std::uint16_t>();
        e.ReceiveTime = clock;
    } else {
        e.ReceiveTime =
            in.ConsumeIntegralInRange<std::int64_t>(0, std::numeric_limits<std::int64_t>::max());
    }
    const auto bytes = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 52));
    std::copy(bytes.begin(), bytes.end(), e.Data.begin());
}

} // namespace protmon::fuzz
