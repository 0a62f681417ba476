#include "definition.h"

#include "descriptions/code_page.h"
#include "descriptions/description_records.h"

#include <charconv>
#include <map>
#include <sstream>

namespace protmon {

const char* const kDefinitionHelp =
    R"(Definition format: one statement per line; blank lines and lines
starting with # are ignored. Numbers are decimal or 0x hexadecimal, optionally negative. NAME is the
rest of the line, written in UTF-8 and stored in Latin-1 (CP1251 for language r).

Description file:
  description FILE           file name of the description file (e.g. Para0001.bin)
  fileid N                   FileId shared with the language files
  version N                  -52 or below (default -53); -51 makes a file the reader refuses
  marker TEXT                14-character marker (default ZENTRAXO50_BIN)
  headerflag 0|1             default 1
  extra N                    extra table with one element N (version -53 and below)
  info1 NAME / info2 NAME    texts of the info record (either one adds the record)
  infowords W1 .. W8         the eight info words; infolongs L1 L2 L3; infobyte B
  noplaintexts               no plain-text table at all

  plaintext TYPE             a plain-text type; the field lines below belong to it
  field MASK NAME            a bit field of the last plain-text type
  value VALUE NAME           a value of the last field (the field's bits in place, not shifted)

  group BASE NAME            a group; the para lines below belong to it
  para ADDRESS IDENT KEY=VALUE ... name=NAME
                             a parameter. ADDRESS is the parameter address that a simulator
                             may use. Keys (all optional):
                               pt=TYPE        plain-text type          attr=N   Attributes
                               flags=N        Flags                    hidden   sets flag 0x40000
                               width=byte|word|long|other   value width (Attributes bits 6-7)
                               long32         sets attribute 0x400
                               nonumber       sets flag 0x400          nosuffix sets flag 0x10000
                               mul=N div=N off=N   scaling (default 1, 1, 0)
                               unit=N scale=N fmt=N  Format bits 0-5, 6-7, 8-11

Language file (named LNG + characters 5 to 8 of the description file name + letter + .add):
  language LETTER            starts a language file; the lines below belong to it
  lfileid N                  FileId of this language file (default: the description's)
  lmarker TEXT / lversion N  marker and version of the language file
  lgroup ADDRESS NAME        group name (applies to the group of ADDRESS AND 0xFF80)
  lpara ADDRESS NAME         parameter name
  lplaintext TYPE            a plain-text block; then
  lfield MASK NAME           a field of the block, and
  lvalue VALUE NAME          a value of the last field
)";

namespace {

bool ParseNumber(std::string_view s, long long& v) {
    bool negative = false;
    if (!s.empty() && s[0] == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    unsigned long long u = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), u, base);
    if (s.empty() || res.ec != std::errc{} || res.ptr != s.data() + s.size() || u > 0xFFFFFFFFull)
        return false;
    v = negative ? -static_cast<long long>(u) : static_cast<long long>(u);
    return true;
}

// UTF-8 to the 8-bit code page; false for characters the code page lacks.
bool Encode(std::string_view utf8, CodePage cp, std::string& out) {
    static std::map<std::string, char> reverse[2];
    auto& table = reverse[cp == CodePage::Cp1251];
    if (table.empty())
        for (int b = 0x80; b < 0x100; ++b)
            table[ToUtf8(std::string(1, static_cast<char>(b)), cp)] = static_cast<char>(b);
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        const auto it = table.find(std::string(utf8.substr(i, len)));
        if (it == table.end())
            return false;
        out += it->second;
        i += len;
    }
    return true;
}

class TParser {
public:
    explicit TParser(TParaFileSet& set) : set_(set) {}
    // false with error set.
    bool Line(std::string_view line);
    bool Finish();
    std::string error;

private:
    bool Fail(const std::string& why) {
        error = why;
        return false;
    }
    bool Num(std::string_view token, long long lo, long long hi, long long& v);
    // Splits off the first token of rest.
    static std::string_view Token(std::string_view& rest);
    bool Name(std::string_view rest, std::string& out);
    bool Description(std::string_view key, std::string_view rest);
    bool Para(std::string_view rest);
    bool ParaKey(std::string_view key, std::string_view value, TParaDef& p);
    bool Language(std::string_view key, std::string_view rest);

    TParaFileSet& set_;
    bool fileIdGiven_ = false;
};

std::string_view TParser::Token(std::string_view& rest) {
    const std::size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const std::size_t end = rest.find_first_of(" \t");
    const std::string_view token = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    return token;
}

bool TParser::Num(std::string_view token, long long lo, long long hi, long long& v) {
    if (!ParseNumber(token, v) || v < lo || v > hi)
        return Fail("bad number '" + std::string(token) + "'");
    return true;
}

bool TParser::Name(std::string_view rest, std::string& out) {
    const std::size_t start = rest.find_first_not_of(" \t");
    rest = start == std::string_view::npos ? std::string_view{} : rest.substr(start);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r'))
        rest.remove_suffix(1);
    const CodePage cp = set_.Languages.empty() ? CodePage::Latin1
                                               : CodePageForLanguage(set_.Languages.back().Letter);
    if (!Encode(rest, cp, out))
        return Fail("a character of '" + std::string(rest) + "' has no 8-bit code");
    if (out.size() > 47)
        return Fail("name longer than 47 characters");
    return true;
}

bool TParser::ParaKey(std::string_view key, std::string_view value, TParaDef& p) {
    long long v = 0;
    auto num = [&](long long lo, long long hi) { return Num(value, lo, hi, v); };
    if (key == "hidden")
        p.Flags |= kFlagHidden;
    else if (key == "long32")
        p.Attributes |= kAttrFullLong;
    else if (key == "nonumber")
        p.Flags |= kFlagNoNumber;
    else if (key == "nosuffix")
        p.Flags |= kFlagNoSuffix;
    else if (key == "width") {
        static const std::map<std::string_view, std::uint32_t> widths = {
            {"byte", 0x00}, {"word", 0x40}, {"long", 0x80}, {"other", 0xC0}};
        const auto it = widths.find(value);
        if (it == widths.end())
            return Fail("width is byte, word, long or other");
        p.Attributes = (p.Attributes & ~kAttrWidthMask) | it->second;
    } else if (key == "pt" && num(0, 0xFFFF))
        p.PlainTextType = static_cast<std::uint16_t>(v);
    else if (key == "attr" && num(0, 0xFFFFFFFF))
        p.Attributes |= static_cast<std::uint32_t>(v);
    else if (key == "flags" && num(0, 0xFFFFFFFF))
        p.Flags |= static_cast<std::uint32_t>(v);
    else if (key == "mul" && num(-32768, 32767))
        p.Multiplier = static_cast<std::int16_t>(v);
    else if (key == "div" && num(-32768, 32767))
        p.Divisor = static_cast<std::int16_t>(v);
    else if (key == "off" && num(-32768, 32767))
        p.Offset = static_cast<std::int16_t>(v);
    else if (key == "unit" && num(0, 63))
        p.Format = static_cast<std::uint16_t>((p.Format & ~0x3Fu) | v);
    else if (key == "scale" && num(0, 3))
        p.Format = static_cast<std::uint16_t>((p.Format & ~0xC0u) | (v << 6));
    else if (key == "fmt" && num(0, 15))
        p.Format = static_cast<std::uint16_t>((p.Format & ~0xF00u) | (v << 8));
    else
        return error.empty() ? Fail("unknown key '" + std::string(key) + "'") : false;
    return true;
}

bool TParser::Para(std::string_view rest) {
    if (set_.Description.Groups.empty())
        return Fail("para before any group");
    TParaDef p;
    long long v = 0;
    if (!Num(Token(rest), -32768, 0xFFFF, v))
        return false;
    p.Address = static_cast<std::int16_t>(v);
    p.Ident = std::string(Token(rest));
    if (p.Ident.size() > 4)
        return Fail("identifier longer than 4 characters");
    for (;;) {
        const std::size_t start = rest.find_first_not_of(" \t");
        if (start == std::string_view::npos)
            return Fail("para without name=");
        if (rest.substr(start, 5) == "name=") {
            if (!Name(rest.substr(start + 5), p.Name))
                return false;
            break;
        }
        const std::string_view token = Token(rest);
        const std::size_t eq = token.find('=');
        if (!ParaKey(token.substr(0, eq), eq == std::string_view::npos ? "" : token.substr(eq + 1),
                     p))
            return false;
    }
    set_.Description.Groups.back().Params.push_back(std::move(p));
    return true;
}

bool TParser::Description(std::string_view key, std::string_view rest) {
    TDescriptionDef& d = set_.Description;
    long long v = 0;
    std::string_view first = rest;
    const std::string_view token = Token(first);
    if (key == "description")
        set_.DescriptionName = std::string(token);
    else if (key == "fileid" && Num(token, 0, 0xFFFFFFFF, v)) {
        d.FileId = static_cast<std::uint32_t>(v);
        fileIdGiven_ = true;
    } else if (key == "version" && Num(token, -32768, 32767, v))
        d.Version = static_cast<std::int16_t>(v);
    else if (key == "marker")
        d.Marker = std::string(token);
    else if (key == "headerflag" && Num(token, 0, 1, v))
        d.HeaderFlag = v != 0;
    else if (key == "extra" && Num(token, INT32_MIN, 0xFFFFFFFF, v))
        d.Extra = static_cast<std::int32_t>(v);
    else if (key == "noplaintexts")
        d.HasPlainTextTable = false;
    else if (key == "info1" || key == "info2") {
        if (!d.Info)
            d.Info.emplace();
        return Name(rest, key == "info1" ? d.Info->Text1 : d.Info->Text2);
    } else if (key == "infowords" || key == "infolongs" || key == "infobyte") {
        if (!d.Info)
            d.Info.emplace();
        const std::size_t n = key == "infowords" ? 8 : key == "infolongs" ? 3 : 1;
        for (std::size_t i = 0; i < n; ++i) {
            if (!Num(Token(rest), INT32_MIN, 0xFFFFFFFF, v))
                return false;
            if (key == "infowords")
                d.Info->Words[i] = static_cast<std::int16_t>(v);
            else if (key == "infolongs")
                d.Info->Longs[i] = static_cast<std::int32_t>(v);
            else
                d.Info->Byte = static_cast<std::uint8_t>(v);
        }
    } else if (key == "plaintext" && Num(token, 0, 0xFFFF, v))
        d.PlainTexts.push_back({static_cast<std::uint16_t>(v), {}});
    else if (key == "field" && Num(token, INT32_MIN, 0xFFFFFFFF, v)) {
        if (d.PlainTexts.empty())
            return Fail("field before any plaintext");
        TFieldDef f{static_cast<std::int32_t>(v), {}, {}};
        if (!Name(first, f.Name))
            return false;
        d.PlainTexts.back().Fields.push_back(std::move(f));
    } else if (key == "value" && Num(token, INT32_MIN, 0xFFFFFFFF, v)) {
        if (d.PlainTexts.empty() || d.PlainTexts.back().Fields.empty())
            return Fail("value before any field");
        TValueDef value{static_cast<std::int32_t>(v), {}};
        if (!Name(first, value.Name))
            return false;
        d.PlainTexts.back().Fields.back().Values.push_back(std::move(value));
    } else if (key == "group" && Num(token, -32768, 0xFFFF, v)) {
        d.Groups.push_back({static_cast<std::int16_t>(v), {}, {}});
        return Name(first, d.Groups.back().Name);
    } else if (key == "para")
        return Para(rest);
    else
        return error.empty() ? Fail("unknown statement '" + std::string(key) + "'") : false;
    return true;
}

bool TParser::Language(std::string_view key, std::string_view rest) {
    if (key == "language") {
        const std::string_view letter = Token(rest);
        if (letter.size() != 1)
            return Fail("language takes one letter");
        set_.Languages.push_back({letter[0], false, {}});
        return true;
    }
    if (set_.Languages.empty())
        return Fail(std::string(key) + " before any language");
    TLanguageDef& l = set_.Languages.back().Def;
    long long v = 0;
    const std::string_view token = Token(rest);
    if (key == "lfileid" && Num(token, 0, 0xFFFFFFFF, v)) {
        l.FileId = static_cast<std::uint32_t>(v);
        set_.Languages.back().OwnFileId = true;
    } else if (key == "lmarker")
        l.Marker = std::string(token);
    else if (key == "lversion" && Num(token, -32768, 32767, v))
        l.Version = static_cast<std::int16_t>(v);
    else if ((key == "lgroup" || key == "lpara") && Num(token, 0, 0xFFFF, v)) {
        auto& names = key == "lgroup" ? l.GroupNames : l.ParaNames;
        names.push_back({static_cast<std::uint16_t>(v), {}});
        return Name(rest, names.back().Name);
    } else if (key == "lplaintext" && Num(token, 0, 0xFFFF, v))
        l.PlainTexts.push_back({static_cast<std::uint16_t>(v), {}});
    else if (key == "lfield" && Num(token, INT32_MIN, 0xFFFFFFFF, v)) {
        if (l.PlainTexts.empty())
            return Fail("lfield before any lplaintext");
        l.PlainTexts.back().Fields.push_back({static_cast<std::int32_t>(v), {}, {}});
        return Name(rest, l.PlainTexts.back().Fields.back().Name);
    } else if (key == "lvalue" && Num(token, INT32_MIN, 0xFFFFFFFF, v)) {
        if (l.PlainTexts.empty() || l.PlainTexts.back().Fields.empty())
            return Fail("lvalue before any lfield");
        auto& values = l.PlainTexts.back().Fields.back().Values;
        values.push_back({static_cast<std::int32_t>(v), {}});
        return Name(rest, values.back().Name);
    } else
        return error.empty() ? Fail("unknown statement '" + std::string(key) + "'") : false;
    return true;
}

bool TParser::Line(std::string_view line) {
    std::string_view rest = line;
    const std::string_view key = Token(rest);
    if (key.empty() || key[0] == '#')
        return true;
    // Every language statement, and only those, starts with 'l'.
    return key[0] == 'l' ? Language(key, rest) : Description(key, rest);
}

bool TParser::Finish() {
    if (set_.DescriptionName.empty())
        return Fail("no description statement");
    if (!fileIdGiven_)
        return Fail("no fileid statement");
    for (auto& lang : set_.Languages)
        if (!lang.OwnFileId)
            lang.Def.FileId = set_.Description.FileId;
    return true;
}

} // namespace

bool ParseDefinition(const std::string& text, TParaFileSet& out, std::string& error) {
    out = {};
    TParser parser(out);
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!parser.Line(line)) {
            error = "line " + std::to_string(number) + ": " + parser.error;
            return false;
        }
    }
    if (!parser.Finish()) {
        error = parser.error;
        return false;
    }
    return true;
}

} // namespace protmon
