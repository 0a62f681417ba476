#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace protmon {

// File images in the description and language formats, for the generator of test and demo files.
// The program itself only reads such files. Texts longer than the slot allows are cut.

struct TValueDef {
    std::int32_t Value = 0;
    std::string Name;
};

struct TFieldDef {
    std::int32_t Mask = 0;
    std::string Name;
    std::vector<TValueDef> Values;
    bool HasValueTable = true; // false writes offset 0
};

struct TPlainTextDef {
    std::uint16_t Type = 0;
    std::vector<TFieldDef> Fields;
    bool HasFieldTable = true;
};

struct TParaDef {
    std::int16_t Address = 0;
    std::uint16_t PlainTextType = 0;
    std::uint32_t Attributes = 0;
    std::uint32_t Flags = 0;
    std::int16_t Multiplier = 1;
    std::int16_t Divisor = 1;
    std::int16_t Offset = 0;
    std::uint16_t Format = 0;
    std::string Ident;
    std::string Name;
};

struct TGroupDef {
    std::int16_t BaseAddress = 0;
    std::string Name;
    std::vector<TParaDef> Params;
    bool HasParaTable = true;
};

struct TInfoDef {
    std::string Text1;
    std::string Text2;
    std::array<std::int16_t, 8> Words{};
    std::array<std::int32_t, 3> Longs{};
    std::uint8_t Byte = 0;
};

struct TDescriptionDef {
    std::int16_t Version = -53;
    std::string Marker = "ZENTRAXO50_BIN";
    bool HeaderFlag = true;
    std::uint32_t FileId = 0;
    bool HasPlainTextTable = true;
    std::vector<TPlainTextDef> PlainTexts;
    bool HasGroupTable = true;
    std::vector<TGroupDef> Groups;
    std::optional<TInfoDef> Info;
    std::optional<std::int32_t> Extra; // version -53 and below: a one-element extra table
};

struct TNameDef {
    std::uint16_t Address = 0;
    std::string Name;
};

struct TFieldNamesDef {
    std::int32_t Mask = 0;
    std::string Name;
    std::vector<TValueDef> Values;
};

struct TPlainTextNamesDef {
    std::uint16_t Type = 0;
    std::vector<TFieldNamesDef> Fields;
};

struct TLanguageDef {
    std::int16_t Version = -53;
    std::string Marker = "ZENTRAXO50_ADD";
    std::uint32_t FileId = 0;
    std::vector<TNameDef> GroupNames;
    std::vector<TNameDef> ParaNames;
    std::vector<TPlainTextNamesDef> PlainTexts;
};

std::vector<std::uint8_t> WriteDescriptionImage(const TDescriptionDef& def);
std::vector<std::uint8_t> WriteLanguageImage(const TLanguageDef& def);

} // namespace protmon
