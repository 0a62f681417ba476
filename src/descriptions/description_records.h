#pragma once

#include "descriptions/record_list.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace protmon {

// Language number that selects the display names (the language file's texts); any other number
// selects the description file's own texts.
constexpr int kDisplayLanguage = 1;

// Parameter attribute and flag bits.
constexpr std::uint32_t kAttrWidthMask = 0xC0;   // value width, bits 6-7
constexpr std::uint32_t kAttrFullLong = 0x400;   // 32-bit value also without address byte
constexpr std::uint32_t kFlagNoNumber = 0x400;   // no number for a field without plain text
constexpr std::uint32_t kFlagNoSuffix = 0x10000; // no ": value" after plain texts
constexpr std::uint32_t kFlagHidden = 0x40000;   // dropped when loading

// Value width from Attributes bits 6-7.
enum class ValueWidth : std::uint8_t { Byte = 0, Word = 1, Long = 2, Other = 3 };

// Fields of Format.
constexpr unsigned FormatUnit(std::uint16_t format) {
    return format & 0x3Fu;
}
constexpr unsigned FormatScaling(std::uint16_t format) {
    return (format >> 6) & 0x3u;
}
constexpr unsigned FormatDisplay(std::uint16_t format) {
    return (format >> 8) & 0xFu;
}
constexpr std::uint16_t MakeFormat(unsigned unit, unsigned scaling, unsigned display) {
    return static_cast<std::uint16_t>((unit & 0x3F) | ((scaling & 3) << 6) | ((display & 15) << 8));
}

// Text of every arithmetic failure while scaling or formatting a value.
inline constexpr std::string_view kValueErrorText = "(Error calculating value)";

// One value of a bit field. Texts are the file's 8-bit bytes, unchanged.
struct TSubRec {
    std::int32_t Value = 0; // the field's bits in place, not shifted
    std::uint8_t Opaque = 0;
    std::string ValueName;
    std::string DisplayName;

    const std::string& GetName(int language) const {
        return language == kDisplayLanguage ? DisplayName : ValueName;
    }
};

class TSubList : public TRecList<TSubRec> {
public:
    // First value record equal to value, or nullptr.
    const TSubRec* FindValue(std::int32_t value) const;
    TSubRec* FindValue(std::int32_t value);
};

// One bit field of a plain-text type.
struct TDefRec {
    std::int32_t Mask = 0;
    std::string Name;
    std::string DisplayName;
    TSubList Values;

    const std::string& GetName(int language) const {
        return language == kDisplayLanguage ? DisplayName : Name;
    }
};

class TDefList : public TRecList<TDefRec> {
public:
    const TDefRec* FindMask(std::int32_t mask) const;
    TDefRec* FindMask(std::int32_t mask);
};

// One plain-text type: the bit fields that name a parameter's values.
struct TPlainTextRec {
    std::uint16_t Type = 0;
    TDefList Fields;
};

class TPlainTextList : public TRecList<TPlainTextRec> {
public:
    const TPlainTextRec* FindType(std::uint16_t type) const;
    TPlainTextRec* FindType(std::uint16_t type);
};

// One parameter description.
struct TParaRec {
    std::int16_t Address = 0;
    std::uint16_t PlainTextType = 0;
    std::array<std::uint8_t, 12> Opaque{};
    std::uint32_t Attributes = 0;
    std::uint32_t Flags = 0;
    std::int16_t Multiplier = 0;
    std::int16_t Divisor = 0;
    std::int16_t Offset = 0;
    std::uint16_t Format = 0;
    const TPlainTextRec* PlainText = nullptr; // not owned; an entry of the same set
    std::string Ident;
    std::uint8_t Opaque2 = 0;
    std::string Name;
    std::string DisplayName;

    const std::string& GetIdent() const { return Ident; }
    const std::string& GetName(int language) const {
        return language == kDisplayLanguage ? DisplayName : Name;
    }
    ValueWidth Width() const { return static_cast<ValueWidth>((Attributes >> 6) & 3u); }

    // Text of a raw 32-bit value: the plain texts of its bit fields joined by separator, or the
    // scaled number with unit. The decoder passes language 1, separator "+" and appendValue true.
    // decimalSeparator is the user's setting, never taken from the process locale.
    std::string GetValueText(std::int32_t value, int language, std::string_view separator,
                             bool appendValue, char decimalSeparator = '.') const;
    // The scaled number with its unit, or kValueErrorText on any arithmetic failure.
    std::string FormatValue(std::int32_t value, char decimalSeparator = '.') const;
    // The number FormatValue shows (scaled, or the raw value for the dotted display); nullopt
    // where it shows kValueErrorText.
    std::optional<double> ScaledValue(std::int32_t value) const;
    // Appends GetValueText to out (saves a temporary string on the decoder's hot path).
    void AppendValueText(std::string& out, std::int32_t value, int language,
                         std::string_view separator, bool appendValue,
                         char decimalSeparator = '.') const;
    void AppendFormattedValue(std::string& out, std::int32_t value,
                              char decimalSeparator = '.') const;
};

class TParaList : public TRecList<TParaRec> {
public:
    // First parameter whose Address (taken as signed) equals address; addresses 32768 and above
    // are never found.
    const TParaRec* FindPara(std::uint16_t address) const;
    TParaRec* FindPara(std::uint16_t address);
};

// One group: parameters whose address AND 0xFF80 equals BaseAddress (usually).
struct TGrpRec {
    std::array<std::uint8_t, 8> Opaque{};
    std::int16_t BaseAddress = 0;
    std::string Name;
    std::string DisplayName;
    TParaList Params; // never empty in a loaded set

    const std::string& GetName(int language) const {
        return language == kDisplayLanguage ? DisplayName : Name;
    }
};

class TGrpList : public TRecList<TGrpRec> {
public:
    // First group whose BaseAddress (taken as signed) equals address AND 0xFF80.
    const TGrpRec* FindGroup(std::uint16_t address) const;
    TGrpRec* FindGroup(std::uint16_t address);
};

} // namespace protmon
