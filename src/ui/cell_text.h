#pragma once

#include <QString>
#include <string_view>

namespace protmon {

// A decoder text as a cell shows it: 8-bit texts are Latin-1; control bytes become visible
// symbols (U+2400.. for C0, U+2421 for DEL, U+FFFD for C1) so no raw control code reaches the
// screen.
QString VisibleCellText(std::string_view text);

} // namespace protmon
