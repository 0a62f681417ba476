#include "ui/cell_text.h"

namespace protmon {

QString VisibleCellText(std::string_view text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20)
            out += QChar(0x2400 + b);
        else if (b == 0x7F)
            out += QChar(0x2421);
        else if (b >= 0x80 && b < 0xA0)
            out += QChar(0xFFFD);
        else
            out += QChar(b);
    }
    return out;
}

QString VisibleCellText(std::string_view text, TCodePage codePage) {
    if (codePage == TCodePage::Latin1)
        return VisibleCellText(text);
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20)
            out += QChar(0x2400 + b);
        else if (b == 0x7F)
            out += QChar(0x2421);
        else
            out += QChar(static_cast<char16_t>(ToUnicode(b, codePage)));
    }
    return out;
}

} // namespace protmon
