#include "capture/trx5_length.h"

#include <array>

namespace protmon {

namespace {

// One row per service number that has a length in some class; services not listed have none.
struct LengthRow {
    std::uint8_t Service;
    TTrx5LengthRule Rule[4]; // read request, write request, read response, write response
};

// clang-format off
constexpr LengthRow kLengthRows[] = {
    { 0, {{ 6, 0}, {10,  0}, { 8, 0}, { 4, 0}}},
    { 1, {{ 6, 0}, {10,  0}, { 8, 0}, { 4, 0}}},
    { 2, {{ 5, 0}, {13,  0}, {12, 0}, { 4, 0}}},
    { 3, {{ 5, 0}, { 9,  0}, { 8, 0}, { 4, 0}}},
    { 4, {{ 5, 0}, {13,  0}, {12, 0}, { 4, 0}}},
    { 5, {{ 5, 0}, {13,  0}, {12, 0}, { 4, 0}}},
    { 6, {{ 6, 0}, { 7,  5}, { 5, 2}, { 4, 0}}},
    { 7, {{ 5, 0}, {13,  0}, {12, 0}, { 4, 0}}},
    { 8, {{ 8, 0}, {18,  0}, {14, 0}, { 4, 0}}},
    { 9, {{ 8, 0}, {14, 12}, {10, 7}, { 4, 0}}},
    {10, {{ 5, 0}, {13,  0}, {12, 0}, { 4, 0}}},
    {11, {{ 6, 0}, { 7,  5}, { 5, 2}, { 4, 0}}},
    {12, {{ 7, 0}, {13, 11}, {10, 7}, { 4, 0}}},
    {14, {{ 6, 0}, {10,  0}, { 8, 0}, { 4, 0}}},
    {16, {{ 3, 0}, {11,  0}, {12, 0}, { 4, 0}}},
    {17, {{ 3, 0}, {11,  0}, {12, 0}, { 4, 0}}},
    {18, {{ 3, 0}, {17,  0}, {18, 0}, { 4, 0}}},
    {19, {{ 3, 0}, {11,  0}, {12, 0}, { 4, 0}}},
    {20, {{ 3, 0}, {11,  0}, {12, 0}, { 4, 0}}},
    {21, {{ 6, 0}, { 0,  0}, {22, 0}, { 0, 0}}},
    {32, {{ 6, 0}, { 6,  0}, { 4, 0}, { 4, 0}}},
    {33, {{ 6, 0}, { 6,  0}, { 4, 0}, { 4, 0}}},
    {48, {{11, 0}, {11,  0}, {12, 0}, {12, 0}}},
    {49, {{11, 0}, {11,  0}, {12, 0}, {12, 0}}},
    {50, {{17, 0}, {17,  0}, {16, 0}, {16, 0}}},
    {51, {{11, 0}, {11,  0}, {12, 0}, {12, 0}}},
    {52, {{11, 0}, {11,  0}, {12, 0}, {12, 0}}},
    {53, {{17, 0}, {17,  0}, {16, 0}, {16, 0}}},
    {54, {{20, 0}, {20,  0}, {20, 0}, {20, 0}}},
    {55, {{20, 0}, {20,  0}, {20, 0}, {20, 0}}},
    {56, {{31, 0}, {31,  0}, {30, 0}, {30, 0}}},
};
// clang-format on

// The rows expanded to a direct lookup by service byte.
constexpr std::array<TTrx5LengthRule, 256> MakeLookup() {
    std::array<TTrx5LengthRule, 256> table{};
    for (const LengthRow& row : kLengthRows)
        for (int cls = 0; cls < 4; ++cls)
            table[static_cast<std::size_t>((cls << 6) | row.Service)] = row.Rule[cls];
    return table;
}

constexpr std::array<TTrx5LengthRule, 256> kLookup = MakeLookup();

} // namespace

TTrx5LengthRule Trx5LengthRule(std::uint8_t serviceByte) {
    return kLookup[serviceByte];
}

int Trx5TelegramLength(ByteView t) {
    const TTrx5LengthRule rule = kLookup[t.at(1)];
    int length = rule.Base;
    if (rule.CountPos != 0)
        length += t.at(rule.CountPos);
    return length & 0xFF;
}

std::uint8_t Trx5Bcc(ByteView bytes, std::size_t count) {
    std::uint8_t bcc = 0;
    const ByteView part = bytes.sub(0, count);
    for (std::size_t i = 0; i < part.size(); ++i)
        bcc ^= part.data()[i];
    return bcc;
}

} // namespace protmon
