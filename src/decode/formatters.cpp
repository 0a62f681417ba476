#include "decode/formatters.h"

#include <array>
#include <charconv>

namespace protmon {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Index = error code; codes without an entry are shown as "Code <n>".
constexpr std::array<std::string_view, 15> kErrorTexts = {
    "",
    "1 device not ready",
    "2 invalid address or password",
    "3 invalid data",
    "4 parameter read only",
    "5 bcc error",
    "6 inverter busy",
    "7 service not available",
    "8 invalid password",
    "9 invalid frame",
    "10 invalid character",
    "11 invalid set or subindex",
    "12 invalid language selector",
    "13 invalid address",
    "14 operation not possible",
};

constexpr std::array<std::string_view, 3> kSetSelectorTexts = {
    "active set",
    "indirect set",
    "(invalid set selected)",
};

} // namespace

void AppendDecimal(std::string& out, std::int64_t value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

void AppendHex(std::string& out, std::uint32_t value, int digits) {
    char buf[8];
    for (int i = digits - 1; i >= 0; --i) {
        buf[i] = kHexDigits[value & 0xF];
        value >>= 4;
    }
    out.append(buf, static_cast<std::size_t>(digits));
}

std::uint16_t MakeWordValue(ByteView data, std::size_t k) {
    return data.be16(k);
}

std::uint32_t MakeLongValue(ByteView data, std::size_t k) {
    return data.be32(k);
}

void MakeWordText(std::string& out, ByteView data, std::size_t k, bool hexDisplay) {
    const std::uint16_t v = MakeWordValue(data, k);
    if (hexDisplay) {
        AppendHex(out, v, 4);
        out += 'h';
    } else {
        AppendDecimal(out, static_cast<std::int16_t>(v));
    }
}

void MakeLongText(std::string& out, ByteView data, std::size_t k, bool hexDisplay) {
    const std::uint32_t v = MakeLongValue(data, k);
    if (hexDisplay) {
        AppendHex(out, v, 8);
        out += 'h';
    } else {
        AppendDecimal(out, static_cast<std::int32_t>(v));
    }
}

void MakeOctetText(std::string& out, ByteView data, std::size_t k, bool hexDisplay) {
    const std::uint8_t v = data.at(k);
    if (hexDisplay) {
        AppendHex(out, v, 2);
        out += 'h';
    } else {
        AppendDecimal(out, v);
    }
}

void MakeHexBytesText(std::string& out, ByteView data, std::size_t k, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        AppendHex(out, data.at(k + i), 2);
    out += 'h';
}

void MakeSetSelectorText(std::string& out, std::uint8_t selector) {
    out += kSetSelectorTexts[selector < 2 ? selector : 2];
}

void MakeSubindexText(std::string& out, std::uint8_t subindex) {
    if (subindex == 0)
        out += "(0/count)";
    else
        AppendDecimal(out, subindex);
}

void MakeSetMaskText(std::string& out, std::uint8_t mask) {
    if (mask == 0) {
        out += kSetSelectorTexts[2];
        return;
    }
    // Runs of adjacent set bits become "first-last", single bits their number; ";" separates.
    bool first = true;
    for (int bit = 0; bit < 8;) {
        if (!(mask & (1u << bit))) {
            ++bit;
            continue;
        }
        int last = bit;
        while (last + 1 < 8 && (mask & (1u << (last + 1))))
            ++last;
        if (!first)
            out += ';';
        first = false;
        out += static_cast<char>('0' + bit);
        if (last > bit) {
            out += '-';
            out += static_cast<char>('0' + last);
        }
        bit = last + 1;
    }
}

void MakeContainerHeaderText(std::string& out, std::uint8_t header) {
    out += (header & 0x80) ? "Rsp Id=" : "Req Id=";
    AppendDecimal(out, (header >> 4) & 0x7);
    out += ' ';
    const int t = header & 0xF;
    if (t >= 8) {
        AppendDecimal(out, t - 7);
        out += " bytes";
    } else {
        out += "Blk=";
        AppendDecimal(out, t);
    }
}

void MakeParamHeaderText(std::string& out, std::uint8_t header) {
    out += "Pd=";
    AppendDecimal(out, header & 0x3);
    out += (header & 0x40) ? " Wr" : " Rd";
    out += " IID=";
    AppendDecimal(out, (header >> 2) & 0xF);
    out += (header & 0x80) ? " Sub=(in)direct" : " Sub=bitcoded";
}

void MakeCharsText(std::string& out, ByteView data, std::size_t k, std::size_t n) {
    const ByteView part = data.sub(k, n);
    out.append(reinterpret_cast<const char*>(part.data()), part.size());
}

std::string_view ErrorCodeText(std::uint8_t code) {
    return code < kErrorTexts.size() ? kErrorTexts[code] : std::string_view{};
}

void MakeErrorText(std::string& out, std::uint8_t code, bool& noErrorShown) {
    noErrorShown = false;
    const std::string_view text = ErrorCodeText(code);
    if (!text.empty()) {
        out += text;
        return;
    }
    out += "Code ";
    AppendDecimal(out, code);
}

} // namespace protmon
