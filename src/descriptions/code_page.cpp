#include "descriptions/code_page.h"

#include <array>
#include <cstdint>

namespace protmon {

namespace {

// CP1251 0x80 .. 0xBF; 0xC0 .. 0xFF are U+0410 .. U+044F. 0x98 is unassigned.
constexpr std::array<std::uint16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

} // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t ToUnicode(unsigned char b, CodePage codePage) {
    if (b < 0x80 || codePage != CodePage::Cp1251)
        return b;
    if (b >= 0xC0)
        return 0x0410u + (b - 0xC0u);
    return kCp1251High[b - 0x80u];
}

CodePage CodePageForLanguage(char languageLetter) {
    return languageLetter == 'r' || languageLetter == 'R' ? CodePage::Cp1251 : CodePage::Latin1;
}

std::string ToUtf8(std::string_view bytes, CodePage codePage) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        AppendUtf8(out, ToUnicode(b, codePage));
    }
    return out;
}

} // namespace protmon
