#pragma once

#include "descriptions/code_page.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace protmon {

// How a cell shows a row text and how the copy writes it. Printable bytes are characters of the
// code page; a control byte (C0, DEL and, in Latin-1, C1) is one visible symbol of its own, so a
// RAW row's characters stay under their hex digits and a TAB, CR, LF or NUL inside a cell never
// splits a copied row. The list and the copy share one instance, so both show the same symbols.
class TCellGlyphs {
public:
    // Symbols for a control byte, the most telling first; empty for any other byte. All symbols of
    // all bytes differ from each other and from every printable character of both code pages.
    static std::span<const char32_t> Candidates(unsigned char byte);
    static bool IsControl(unsigned char byte, CodePage codePage);
    // First candidates throughout.
    static const TCellGlyphs& Default();

    TCellGlyphs();
    // Takes for each control byte the first candidate that canShow accepts (the fonts at hand
    // have a glyph for it), else its last one.
    void Choose(const std::function<bool(char32_t)>& canShow);

    char32_t CodePoint(unsigned char byte, CodePage codePage) const;
    // The text as the cells show it, in UTF-8.
    std::string ToUtf8(std::string_view text, CodePage codePage) const;
    void AppendUtf8(std::string& out, std::string_view text, CodePage codePage) const;

private:
    std::array<char32_t, 256> chosen_{}; // 0 for bytes without a symbol
};

} // namespace protmon
