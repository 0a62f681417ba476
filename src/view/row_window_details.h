#pragma once

#include "model/tel_entry.h"
#include "model/telegram_list.h"

#include <array>
#include <cstdint>
#include <string>

namespace protmon {

// The four status-bar panels of the details of one entry.
using TDetailPanels = std::array<std::string, 4>;

// "Delta time: " with minutes, seconds and microseconds as the status bar shows them.
std::string FormatDeltaTime(std::uint64_t microseconds);

// Time between two entries from the 16-bit time stamps of the entries from one to the other,
// counting the counter's wraps on the way (entries without a stamp are passed over); false when
// either position lies outside the list.
bool DeltaMicroseconds(const TTelegramList& list, int markIndex, int selected, int resolution,
                       std::uint64_t& microseconds);

// Details of the entry at `selected`; false (panels untouched) when there is nothing to show:
// no such entry, or an entry without line-monitor information. A mark outside the list leaves
// panel 3 empty.
bool MakeDetailPanels(const TTelegramList& list, int selected, int markIndex, int resolution,
                      TDetailPanels& panels);

// "Frame:\n" and the stored bytes of an entry: all 50 for a coded telegram or a status kind of
// 128 and above, only the raw bytes for the other status kinds.
std::string FrameText(const TTelEntry& entry);

} // namespace protmon
