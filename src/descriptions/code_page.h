#pragma once

#include <string>
#include <string_view>

namespace protmon {

// Description and language files carry 8-bit texts without naming their code page. They are kept
// as bytes everywhere in the core; only what shows them converts, with the set's DisplayCodePage.
enum class CodePage { Latin1, Cp1251 };

// The Russian language files ('r') are CP1251, every other one Latin-1.
CodePage CodePageForLanguage(char languageLetter);

// Unicode code point of one 8-bit character. Unassigned CP1251 bytes give U+FFFD.
char32_t ToUnicode(unsigned char byte, CodePage codePage);

// Appends the UTF-8 form of one code point below U+10000.
void AppendUtf8(std::string& out, char32_t codePoint);

// 8-bit text to UTF-8. Unassigned CP1251 bytes become U+FFFD.
std::string ToUtf8(std::string_view bytes, CodePage codePage);

} // namespace protmon
