#include "trx5_length.h"

#include <array>

namespace protmon::lmsim {

namespace {

// One row per service number: read request, write request, read response, write response.
struct ServiceRow {
    std::uint8_t service;
    std::array<Trx5LengthRule, 4> byClass;
};

constexpr Trx5LengthRule R(std::uint8_t base, std::uint8_t countPos = 0) {
    return {base, countPos};
}

constexpr ServiceRow kRows[] = {
    {0, {R(6), R(10), R(8), R(4)}},          {1, {R(6), R(10), R(8), R(4)}},
    {2, {R(5), R(13), R(12), R(4)}},         {3, {R(5), R(9), R(8), R(4)}},
    {4, {R(5), R(13), R(12), R(4)}},         {5, {R(5), R(13), R(12), R(4)}},
    {6, {R(6), R(7, 5), R(5, 2), R(4)}},     {7, {R(5), R(13), R(12), R(4)}},
    {8, {R(8), R(18), R(14), R(4)}},         {9, {R(8), R(14, 12), R(10, 7), R(4)}},
    {10, {R(5), R(13), R(12), R(4)}},        {11, {R(6), R(7, 5), R(5, 2), R(4)}},
    {12, {R(7), R(13, 11), R(10, 7), R(4)}}, {14, {R(6), R(10), R(8), R(4)}},
    {16, {R(3), R(11), R(12), R(4)}},        {17, {R(3), R(11), R(12), R(4)}},
    {18, {R(3), R(17), R(18), R(4)}},        {19, {R(3), R(11), R(12), R(4)}},
    {20, {R(3), R(11), R(12), R(4)}},        {21, {R(6), R(0), R(22), R(0)}},
    {32, {R(6), R(6), R(4), R(4)}},          {33, {R(6), R(6), R(4), R(4)}},
    {48, {R(11), R(11), R(12), R(12)}},      {49, {R(11), R(11), R(12), R(12)}},
    {50, {R(17), R(17), R(16), R(16)}},      {51, {R(11), R(11), R(12), R(12)}},
    {52, {R(11), R(11), R(12), R(12)}},      {53, {R(17), R(17), R(16), R(16)}},
    {54, {R(20), R(20), R(20), R(20)}},      {55, {R(20), R(20), R(20), R(20)}},
    {56, {R(31), R(31), R(30), R(30)}},
};

} // namespace

Trx5LengthRule Trx5Rule(std::uint8_t serviceByte) {
    const std::uint8_t service = serviceByte & 0x3F;
    const int cls = serviceByte >> 6;
    for (const ServiceRow& row : kRows) {
        if (row.service == service)
            return row.byClass[static_cast<std::size_t>(cls)];
    }
    return {};
}

int Trx5TelegramLength(ByteView tel) {
    const Trx5LengthRule rule = Trx5Rule(tel.at(1));
    if (rule.base == 0 || !tel.has(1))
        return 0;
    if (rule.countPos == 0)
        return rule.base;
    if (!tel.has(rule.countPos))
        return 0;
    return (rule.base + tel.at(rule.countPos)) & 0xFF;
}

std::uint8_t Trx5Bcc(ByteView bytes, std::size_t count) {
    std::uint8_t bcc = 0;
    for (std::size_t i = 0; i < count && i < bytes.size(); ++i)
        bcc ^= bytes.at(i);
    return bcc;
}

} // namespace protmon::lmsim
