#include "files/row_export.h"

namespace protmon {

void AppendEscapedText(std::string& out, std::string_view latin1, CodePage codePage) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::size_t plainFrom = 0;
    for (std::size_t i = 0; i < latin1.size(); ++i) {
        const auto c = static_cast<unsigned char>(latin1[i]);
        // Runs of printable ASCII, most of every text, are copied in one piece.
        if (c >= 0x20 && c < 0x7F && c != '\\')
            continue;
        out.append(latin1.data() + plainFrom, i - plainFrom);
        plainFrom = i + 1;
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            const char esc[4] = {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
            out.append(esc, sizeof esc);
        } else if (c >= 0x80 && codePage != CodePage::Latin1) {
            AppendUtf8(out, ToUnicode(c, codePage));
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.append(latin1.data() + plainFrom, latin1.size() - plainFrom);
}

void AppendRowLine(std::string& out, std::string_view caption, std::string_view id,
                   std::string_view service, std::string_view additional, CodePage codePage) {
    AppendEscapedText(out, caption, codePage);
    out += '\t';
    AppendEscapedText(out, id, codePage);
    out += '\t';
    AppendEscapedText(out, service, codePage);
    out += '\t';
    AppendEscapedText(out, additional, codePage);
    out += '\n';
}

} // namespace protmon
