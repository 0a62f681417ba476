#pragma once

#include <string>
#include <string_view>

namespace protmon {

// Description and language files carry 8-bit texts without naming their code page. They are kept
// as bytes everywhere in the core; only what shows them converts, with the set's DisplayCodePage.
enum class TCodePage { Latin1, Cp1251 };

// The Russian language files ('r') are CP1251, every other one Latin-1.
TCodePage CodePageForLanguage(char languageLetter);

// 8-bit text to UTF-8. Unassigned CP1251 bytes become U+FFFD.
std::string ToUtf8(std::string_view bytes, TCodePage codePage);

} // namespace protmon
