#include "ui/cell_text.h"

#include <QFontMetrics>

namespace protmon {

QString VisibleCellText(std::string_view text, CodePage codePage, const TCellGlyphs& glyphs) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    // Every symbol and every code page character lies below U+10000: one QChar each.
    for (char c : text)
        out +=
            QChar(static_cast<char16_t>(glyphs.CodePoint(static_cast<unsigned char>(c), codePage)));
    return out;
}

TCellGlyphs GlyphsForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    TCellGlyphs glyphs;
    glyphs.Choose([&metrics](char32_t c) { return metrics.inFontUcs4(c); });
    return glyphs;
}

} // namespace protmon
