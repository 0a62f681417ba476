#pragma once

#include "model/telegram_list.h"
#include "support/recording_host.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace protmon::test {

inline TTelEntry Entry(std::initializer_list<std::uint8_t> bytes) {
    TTelEntry e;
    std::size_t i = 0;
    for (std::uint8_t b : bytes)
        e.Data[i++] = b;
    return e;
}

inline void Append(TTelegramList& list, std::initializer_list<std::uint8_t> bytes) {
    TTelEntry* e = list.NewTelEntry();
    *e = Entry(bytes);
}

// Filter marks of every entry, in list order.
inline std::vector<int> Marks(const TTelegramList& list) {
    std::vector<int> marks;
    for (int i = 0; i < list.Count(); ++i)
        marks.push_back(list.At(i)->Data[kFilterMarkIndex]);
    return marks;
}

} // namespace protmon::test
