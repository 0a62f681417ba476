#pragma once

#include "descriptions/code_page.h"

#include <QString>
#include <string_view>

namespace protmon {

// A decoder text as a cell shows it: 8-bit texts are Latin-1; control bytes become visible
// symbols (U+2400.. for C0, U+2421 for DEL, U+FFFD for C1) so no raw control code reaches the
// screen.
QString VisibleCellText(std::string_view text);

// The same for rows that carry names of a description set in codePage: bytes 0x80-0xFF are
// characters of that code page (in CP1251 also 0x80-0x9F); control bytes as above.
QString VisibleCellText(std::string_view text, TCodePage codePage);

} // namespace protmon
