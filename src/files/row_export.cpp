#include "files/row_export.h"

namespace protmon {

void AppendEscapedText(std::string& out, std::string_view latin1) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            const char esc[4] = {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
            out.append(esc, sizeof esc);
        } else if (c >= 0x80) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += ch;
        }
    }
}

void AppendRowLine(std::string& out, std::string_view caption, std::string_view id,
                   std::string_view service, std::string_view additional) {
    AppendEscapedText(out, caption);
    out += '\t';
    AppendEscapedText(out, id);
    out += '\t';
    AppendEscapedText(out, service);
    out += '\t';
    AppendEscapedText(out, additional);
    out += '\n';
}

} // namespace protmon
