#pragma once

#include <vector>

namespace protmon {

class TCfgRec;

// What an export writes besides the list and the settings.
struct TExportOptions {
    // Description set of the L7 decoder for the row texts; nullptr: decoder off.
    const TCfgRec* DecoderSet = nullptr;
    char DecimalSeparator = '.';
    // Position of the marked entry, -1 for none.
    int MarkIndex = -1;
    // The positions to write, in list order (e.g. the rows of the filtered display); nullptr:
    // every entry.
    const std::vector<int>* Positions = nullptr;
};

} // namespace protmon
