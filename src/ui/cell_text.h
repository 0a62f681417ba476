#pragma once

#include "decode/cell_glyphs.h"
#include "descriptions/code_page.h"

#include <QString>
#include <string_view>

class QFont;

namespace protmon {

// A decoder text as a cell shows it: bytes are characters of codePage (Latin-1, or CP1251 for
// names from a Russian language file); each control byte is the visible symbol that glyphs chose,
// so no raw control code reaches the screen.
QString VisibleCellText(std::string_view text, CodePage codePage = CodePage::Latin1,
                        const TCellGlyphs& glyphs = TCellGlyphs::Default());

// Symbols for control bytes that font, or a font Qt falls back to for it, can draw.
TCellGlyphs GlyphsForFont(const QFont& font);

} // namespace protmon
