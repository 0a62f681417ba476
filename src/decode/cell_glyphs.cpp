#include "decode/cell_glyphs.h"

#include <cstdint>

namespace protmon {

namespace {

struct TCandidates {
    std::array<char32_t, 3> Symbols{};
    std::size_t Count = 0;
};

// Fallbacks for C0, used where a font lacks the control pictures (U+2400..): the ISO 2047
// graphics, then, where common fonts lack those too, a symbol that DejaVu Sans Mono has.
constexpr std::array<char32_t, 32> kIso2047 = {
    0x2395, 0x2308, 0x22A5, 0x230B, 0x2301, 0x22A0, 0x2713, 0x237E, 0x293A, 0x2AAB, 0x2261,
    0x2A5B, 0x21A1, 0x2AAA, 0x2297, 0x2299, 0x229F, 0x25F7, 0x25F6, 0x25F5, 0x25F4, 0x237B,
    0x238D, 0x22A3, 0x29D6, 0x237F, 0x2426, 0x2296, 0x25F0, 0x25F1, 0x25F2, 0x25F3,
};
struct TByteSymbol {
    std::size_t Byte;
    char32_t Symbol;
};
constexpr TByteSymbol kLastResort[] = {
    {0x07, 0x266A}, // BEL: a note
    {0x08, 0x232B}, // BS: erase to the left
    {0x09, 0x21E5}, // HT: arrow to a bar
    {0x0B, 0x21E3}, // VT: dashed arrow down
    {0x0D, 0x21B5}, // CR: arrow down and left
    {0x15, 0x2717}, // NAK: a ballot cross, beside ACK's check mark
    {0x16, 0x22A1}, // SYN
    {0x18, 0x2298}, // CAN: a slashed circle
    {0x19, 0x22A4}, // EM
    {0x1A, 0x2370}, // SUB: a boxed question mark
};
// C1 has no pictures of its own: shapes from the geometric block, one per byte.
constexpr char32_t kC1Base = 0x25C0;

constexpr std::array<TCandidates, 256> MakeTable() {
    std::array<TCandidates, 256> t{};
    for (std::size_t b = 0; b < 0x20; ++b) {
        t[b].Symbols[t[b].Count++] = 0x2400 + static_cast<char32_t>(b);
        if (kIso2047[b] != 0x2426)
            t[b].Symbols[t[b].Count++] = kIso2047[b];
    }
    for (const TByteSymbol& s : kLastResort)
        t[s.Byte].Symbols[t[s.Byte].Count++] = s.Symbol;
    t[0x7F].Symbols = {0x2421, 0x25A8};
    t[0x7F].Count = 2;
    for (std::size_t b = 0x80; b < 0xA0; ++b) {
        t[b].Symbols[0] = kC1Base + static_cast<char32_t>(b - 0x80);
        t[b].Count = 1;
    }
    return t;
}

constexpr std::array<TCandidates, 256> kTable = MakeTable();

} // namespace

std::span<const char32_t> TCellGlyphs::Candidates(unsigned char byte) {
    const TCandidates& c = kTable[byte];
    return {c.Symbols.data(), c.Count};
}

bool TCellGlyphs::IsControl(unsigned char byte, CodePage codePage) {
    // In CP1251 the bytes 0x80..0x9F are letters and punctuation.
    return byte < 0x20 || byte == 0x7F ||
           (codePage == CodePage::Latin1 && byte >= 0x80 && byte < 0xA0);
}

const TCellGlyphs& TCellGlyphs::Default() {
    static const TCellGlyphs glyphs;
    return glyphs;
}

TCellGlyphs::TCellGlyphs() {
    Choose([](char32_t) { return true; });
}

void TCellGlyphs::Choose(const std::function<bool(char32_t)>& canShow) {
    for (std::size_t b = 0; b < chosen_.size(); ++b) {
        const auto candidates = Candidates(static_cast<unsigned char>(b));
        chosen_[b] = candidates.empty() ? 0 : candidates.back();
        for (char32_t c : candidates) {
            if (canShow(c)) {
                chosen_[b] = c;
                break;
            }
        }
    }
}

char32_t TCellGlyphs::CodePoint(unsigned char byte, CodePage codePage) const {
    return IsControl(byte, codePage) ? chosen_[byte] : ToUnicode(byte, codePage);
}

void TCellGlyphs::AppendUtf8(std::string& out, std::string_view text, CodePage codePage) const {
    for (char c : text)
        protmon::AppendUtf8(out, CodePoint(static_cast<unsigned char>(c), codePage));
}

std::string TCellGlyphs::ToUtf8(std::string_view text, CodePage codePage) const {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    AppendUtf8(out, text, codePage);
    return out;
}

} // namespace protmon
