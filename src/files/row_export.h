#pragma once

#include "descriptions/code_page.h"

#include <string>
#include <string_view>

namespace protmon {

// Row texts as a UTF-8 text line that shows every byte: a backslash becomes two backslashes,
// control bytes (0x00-0x1F, 0x7F) become \xHH with upper-case digits, bytes 0x80-0xFF the
// UTF-8 form of the Latin-1 character. A TAB inside a text is escaped, so TAB separates columns.
// With codePage CP1251 (names of a Russian language file), bytes 0x80-0xFF are taken as CP1251.
void AppendEscapedText(std::string& out, std::string_view latin1,
                       CodePage codePage = CodePage::Latin1);

// Appends the four row texts, TAB-separated, each escaped, and an LF.
void AppendRowLine(std::string& out, std::string_view caption, std::string_view id,
                   std::string_view service, std::string_view additional,
                   CodePage codePage = CodePage::Latin1);

} // namespace protmon
