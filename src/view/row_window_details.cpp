#include "view/row_window_details.h"

#include "model/byte_view.h"
#include "model/time_difference.h"

#include <algorithm>
#include <cstdio>

namespace protmon {

namespace {

constexpr std::uint64_t kMinute = 60'000'000;
constexpr std::uint64_t kSecond = 1'000'000;
constexpr std::size_t kFrameBytes = 50;
constexpr std::size_t kStatusRawMax = 49;

void AppendHex(std::string& out, std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
    out += ' ';
}

} // namespace

std::string FormatDeltaTime(std::uint64_t t) {
    std::string text = "Delta time: ";
    if (t > kMinute) {
        text += std::to_string(t / kMinute) + "min ";
        t %= kMinute;
    }
    if (t > kSecond) {
        text += std::to_string(t / kSecond) + "sec ";
        t %= kSecond;
    }
    std::string digits = std::to_string(t);
    if (digits.size() >= 4)
        digits.insert(digits.size() - 3, ".");
    return text + digits + "us";
}

bool DeltaMicroseconds(const TTelegramList& list, int markIndex, int selected, int resolution,
                       std::uint64_t& microseconds) {
    const int lo = std::min(markIndex, selected);
    const int hi = std::max(markIndex, selected);
    if (lo < 0 || hi >= list.Count())
        return false;
    // Step by step between the stamped entries, so every wrap of the counter on the way counts.
    microseconds = 0;
    const TTelEntry* last = nullptr;
    for (int k = lo; k <= hi; ++k) {
        const TTelEntry* e = list.At(k);
        if (e->Channel == kNoChannel)
            continue;
        if (last != nullptr) {
            const std::int64_t step = TimeStampDifferenceUs(TimeOf(*last), TimeOf(*e), resolution);
            if (step > 0)
                microseconds += static_cast<std::uint64_t>(step);
        }
        last = e;
    }
    return true;
}

bool MakeDetailPanels(const TTelegramList& list, int selected, int markIndex, int resolution,
                      TDetailPanels& panels) {
    const TTelEntry* e = list.At(selected);
    if (e == nullptr || e->Channel == kNoChannel)
        return false;
    char stamp[8];
    std::snprintf(stamp, sizeof stamp, "%04X", static_cast<unsigned>(e->TimeStamp));
    panels[0] = "Entry:" + std::to_string(selected);
    panels[1] = std::string("Channel:") + static_cast<char>('A' + (e->Channel & 0xFF));
    panels[2] = std::string("TimeStamp:") + stamp + "*" + std::to_string(resolution) + "us";
    panels[3].clear();
    std::uint64_t t = 0;
    if (markIndex != -1 && DeltaMicroseconds(list, markIndex, selected, resolution, t))
        panels[3] = FormatDeltaTime(t);
    return true;
}

std::string FrameText(const TTelEntry& entry) {
    const ByteView data(entry.Data);
    std::string text = "Frame:\n";
    if (data.at(0) != 0 || data.at(1) >= 128) {
        for (std::size_t i = 0; i < kFrameBytes; ++i)
            AppendHex(text, data.at(i));
        return text;
    }
    const std::size_t count = std::min<std::size_t>(data.at(2), kStatusRawMax);
    const ByteView raw = data.sub(3, count);
    for (std::size_t i = 0; i < raw.size(); ++i)
        AppendHex(text, raw.at(i));
    return text;
}

} // namespace protmon
