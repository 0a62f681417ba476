#pragma once

#include "decode/decode_row.h"
#include "model/telegram_list.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace protmon::test {

// A telegram list filled entry by entry from byte lists, and a context to decode it.
class TDecodeFixture {
public:
    TDecodeFixture() { Context.List = &List; }

    // Appends an entry whose Data starts with `bytes` (the rest zero); returns its position.
    int Add(std::initializer_list<int> bytes) {
        TTelEntry* e = List.NewTelEntry();
        e->Data.fill(0);
        std::size_t i = 0;
        for (int b : bytes)
            e->Data[i++] = static_cast<std::uint8_t>(b);
        return List.Count() - 1;
    }
    // Appends filler entries (status entries) until the list holds `count` entries.
    void FillTo(int count) {
        while (List.Count() < count)
            Add({0, 1, 0});
    }
    TRowTexts Row(int position) const { return DecodeTelegramRow(Context, position); }
    std::string Additional(int position) const { return Row(position).Additional; }

    TTelegramList List;
    TDecodeContext Context;
};

} // namespace protmon::test
