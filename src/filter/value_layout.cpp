#include "filter/value_layout.h"

#include <array>
#include <initializer_list>

namespace protmon {

namespace {

constexpr TFieldRef kNone{};
constexpr TFieldRef W(int offset) {
    return {FieldWidth::Word, static_cast<std::uint8_t>(offset)};
}
constexpr TFieldRef L(int offset) {
    return {FieldWidth::Long, static_cast<std::uint8_t>(offset)};
}

struct TLayoutRow {
    std::initializer_list<int> Services;
    // ParameterData, Address, PD1 .. PD4
    std::array<TFieldRef, 6> Fields;
    AckPlace Ack;
    int AckOffset;
};

using TLayoutTable = std::array<TValueLayout, 64>;

constexpr TLayoutTable Build(std::initializer_list<TLayoutRow> rows) {
    TLayoutTable table{};
    for (const TLayoutRow& row : rows) {
        for (int service : row.Services) {
            TValueLayout& l = table[static_cast<std::size_t>(service)];
            for (std::size_t f = 0; f < 6; ++f)
                l.Fields[f] = row.Fields[f];
            l.Ack = row.Ack;
            l.AckOffset = static_cast<std::uint8_t>(row.AckOffset);
        }
    }
    return table;
}

constexpr auto kFixed = AckPlace::Fixed;
constexpr auto kNoAck = AckPlace::None;

// Fields order in every row: ParameterData, Address, PD1, PD2, PD3, PD4.
constexpr TLayoutTable kReadRequest = Build({
    {{0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 14, 32, 33}, {kNone, W(2)}, kNoAck, 0},
    {{21}, {kNone, W(3)}, kNoAck, 0},
});

constexpr TLayoutTable kWriteRequest = Build({
    {{0, 1, 14}, {L(4), W(2)}, kNoAck, 0},
    {{16, 19, 48, 51}, {kNone, kNone, L(2), L(6)}, kNoAck, 0},
    {{17, 20, 49, 52}, {kNone, kNone, W(2), W(4), W(6), W(8)}, kNoAck, 0},
    {{50, 53}, {L(12), W(10), L(2), W(6), W(8)}, kNoAck, 0},
    {{56}, {L(26), W(23)}, kNoAck, 0},
});

constexpr TLayoutTable kReadResponse = Build({
    {{0, 1, 3, 14}, {L(2)}, kFixed, 6},
    {{2, 4, 5, 7, 10}, {}, kFixed, 10},
    {{6, 11}, {}, AckPlace::AfterCount2, 0},
    {{8}, {}, kFixed, 12},
    {{9, 12}, {}, AckPlace::AfterCount7, 0},
    {{16, 19}, {kNone, kNone, L(2), L(6)}, kFixed, 10},
    {{17, 20}, {kNone, kNone, W(2), W(4), W(6), W(8)}, kFixed, 10},
    {{18}, {kNone, kNone, L(4), L(8), W(12), W(14)}, kFixed, 16},
    {{21}, {kNone, kNone, L(4), L(8), L(12), L(16)}, kFixed, 20},
    {{32, 33}, {}, kFixed, 2},
});

constexpr TLayoutTable kWriteResponse = Build({
    {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 17, 19, 20, 32, 33}, {}, kFixed, 2},
    {{48, 51}, {kNone, kNone, L(2), L(6)}, kFixed, 10},
    {{49, 52}, {kNone, kNone, W(2), W(4), W(6), W(8)}, kFixed, 10},
    {{50, 53}, {L(10), kNone, L(2), W(6), W(8)}, kFixed, 14},
    {{56}, {L(23)}, kFixed, 28},
});

constexpr const TLayoutTable* kTables[4] = {&kReadRequest, &kWriteRequest, &kReadResponse,
                                            &kWriteResponse};

} // namespace

const TValueLayout& ValueLayoutFor(std::uint8_t serviceByte) {
    const unsigned service = serviceByte & 0x3Fu;
    unsigned cls = serviceByte >> 6;
    if (service >= 48)
        cls |= 1u;
    return (*kTables[cls])[service];
}

std::optional<std::int32_t> ReadField(const TFieldRef& field, ByteView data) {
    switch (field.Width) {
    case FieldWidth::Word:
        if (!data.has(field.Offset, 2))
            return std::nullopt;
        return static_cast<std::int32_t>(data.be16(field.Offset));
    case FieldWidth::Long:
        if (!data.has(field.Offset, 4))
            return std::nullopt;
        return static_cast<std::int32_t>(data.be32(field.Offset));
    case FieldWidth::None:
        break;
    }
    return std::nullopt;
}

std::optional<std::int32_t> ReadAcknowledge(const TValueLayout& layout, ByteView data) {
    std::size_t pos = 0;
    switch (layout.Ack) {
    case AckPlace::None:
        return std::nullopt;
    case AckPlace::Fixed:
        pos = layout.AckOffset;
        break;
    case AckPlace::AfterCount2:
        pos = std::size_t{data.at(2)} + 3;
        break;
    case AckPlace::AfterCount7:
        pos = std::size_t{data.at(7)} + 8;
        break;
    }
    // An acknowledge that lies past the stored telegram bytes was never recorded.
    if (pos >= kMatchedDataSize || !data.has(pos))
        return std::nullopt;
    return data.at(pos);
}

} // namespace protmon
