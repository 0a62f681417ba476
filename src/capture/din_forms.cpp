#include "capture/din_forms.h"

#include <cstring>

namespace protmon {

namespace {

// Requests: letter at 0, address digit at 1, fields from 2, ENQ, check character.
constexpr TDinForm kRequestForms[] = {
    {"GHUgh", 10, kReadRequest, false, "hhh"}, {"IJKLNQ", 8, kReadRequest, false, "hh"},
    {"MR", 9, kReadRequest, false, "hhd"},     {"OP", 13, kReadRequest, false, "hhhhd"},
    {"S", 11, kReadRequest, false, "hhhd"},    {"WXYZ[", 4, kReadRequest, false, ""},
    {"\\", 9, kReadRequest, false, "dhh"},
};

// Data blocks: STX at 0, letter at 1, address digit at 2, fields from 3, ETX, check character.
// Read responses get a status byte 0 behind the fields. Services 32 and 33 carry three bytes, so
// their write request fills 11 characters.
constexpr TDinForm kDataBlockForms[] = {
    {"GHU", 13, kReadResponse, false, "hhhh"},
    {"GHU", 19, kWriteRequest, false, "hhhhhhh"},
    {"IKLN", 21, kReadResponse, false, "hhhhhhhh"},
    {"IKLN", 25, kWriteRequest, false, "hhhhhhhhhh"},
    {"J", 13, kReadResponse, false, "hhhh"},
    {"J", 17, kWriteRequest, false, "hhhhhh"},
    {"MR", 0, kReadResponse, true, "cT"},
    {"MR", 0, kWriteRequest, true, "hhdcT"},
    {"O", 20, kReadResponse, false, "hhhhhttttt"},
    {"O", 29, kWriteRequest, false, "hhhhdhhhhhttttt"},
    {"PS", 0, kReadResponse, true, "hhhhhcT"},
    {"P", 0, kWriteRequest, true, "hhhhdhhhhhcT"},
    {"S", 0, kWriteRequest, true, "hhhdhhhhhcT"},
    {"Q", 18, kReadResponse, false, "httthhhh"},
    {"Q", 22, kWriteRequest, false, "hhhttthhhh"},
    {"WXZ[", 21, kReadResponse, true, "hhhhhhhh"},
    {"WXZ[", 21, kWriteRequest, true, "hhhhhhhh"},
    {"Y", 33, kReadResponse, true, "hhhhhhhhhhhhhh"},
    {"Y", 33, kWriteRequest, true, "hhhhhhhhhhhhhh"},
    {"\\", 41, kReadResponse, true, "hhhhhhhhhhhhhhhhhh"},
    {"\\", 41, kWriteRequest, true, "hhhhhhhhhhhhhhhhhh"},
    {"gh", 11, kWriteRequest, false, "hhh"},
    {"wxz{", 21, kWriteRequest, false, "hhhhhhhh"},
    {"wxz{", 22, kWriteResponse, false, "hhhhhhhhd"},
    {"y|", 33, kWriteRequest, false, "hhhhhhhhhhhhhh"},
    {"y|", 30, kWriteResponse, false, "hhhhhhhhhhhhd"},
};

bool HasLetter(const TDinForm& f, std::uint8_t letter) {
    return letter != 0 && std::strchr(f.Letters, letter) != nullptr;
}

bool LengthFits(const TDinForm& f, int frameLength) {
    return f.FrameLength == 0 || f.FrameLength == frameLength;
}

} // namespace

const TDinForm* FindRequestForm(std::uint8_t letter, int frameLength) {
    for (const TDinForm& f : kRequestForms)
        if (HasLetter(f, letter) && LengthFits(f, frameLength))
            return &f;
    return nullptr;
}

const TDinForm* FindDataBlockForm(std::uint8_t letter, int frameLength,
                                  bool previousIsReadRequest) {
    const std::uint8_t byPrevious = previousIsReadRequest ? kReadResponse : kWriteRequest;
    for (const TDinForm& f : kDataBlockForms) {
        if (!HasLetter(f, letter) || !LengthFits(f, frameLength))
            continue;
        if (f.ByPrevious && f.ClassBits != byPrevious)
            continue;
        return &f;
    }
    return nullptr;
}

} // namespace protmon
