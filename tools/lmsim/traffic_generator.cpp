#include "traffic_generator.h"

#include "capture/trx5_length.h"

#include <array>

namespace protmon::lmsim {

namespace {

// Address bytes of the polled drives; each has exactly one non-zero nibble, as drive addresses do.
constexpr std::array<std::uint8_t, 4> kDrives = {0x01, 0x02, 0x03, 0x10};
constexpr std::array<std::uint8_t, 15> kOperatorDrives = {1, 2,  3,  4,  5,  6,  7, 8,
                                                          9, 10, 11, 12, 13, 14, 15};

enum class Family { ProcessData, Read, Write, Attribute, Text, TextWrite, Default, Scope, PdRead };

struct Weighted {
    Family family;
    int weight;
};

constexpr std::array<Weighted, 9> kMix = {{{Family::ProcessData, 40},
                                           {Family::Read, 25},
                                           {Family::Write, 8},
                                           {Family::Attribute, 8},
                                           {Family::Text, 7},
                                           {Family::TextWrite, 2},
                                           {Family::Default, 3},
                                           {Family::Scope, 2},
                                           {Family::PdRead, 5}}};

template <std::size_t N>
int Pick(DriveModel& m, const std::array<int, N>& choices) {
    return choices[static_cast<std::size_t>(m.Uniform(0, static_cast<int>(N) - 1))];
}

} // namespace

std::vector<std::uint16_t> DefaultParamAddresses() {
    return {0x0001, 0x0002, 0x0010, 0x0011, 0x0021, 0x0022, 0x0100, 0x0101, 0x0102,
            0x0110, 0x0120, 0x0200, 0x0201, 0x0210, 0x0300, 0x0301, 0x0400, 0x0410,
            0x0500, 0x0501, 0x0800, 0x0801, 0x1000, 0x1001, 0x2000, 0x2010, 0x3FFF};
}

TrafficGenerator::TrafficGenerator(GeneratorSettings settings) : settings_(std::move(settings)) {
    model_.rng.seed(settings_.seed);
    model_.paramAddresses =
        settings_.paramAddresses.empty() ? DefaultParamAddresses() : settings_.paramAddresses;
    model_.errorPermille = settings_.errorPermille;
}

std::uint8_t TrafficGenerator::AnswerAddress(std::uint8_t id) const {
    if (!settings_.operatorAddressing)
        return id;
    return id >= 15 ? 1 : static_cast<std::uint8_t>(id + 1);
}

Transaction TrafficGenerator::MakeTransaction(std::uint8_t id) {
    DriveModel& m = model_;
    int total = 0;
    for (const Weighted& w : kMix)
        total += w.weight;
    int roll = m.Uniform(0, total - 1);
    Family family = Family::Read;
    for (const Weighted& w : kMix) {
        if (roll < w.weight) {
            family = w.family;
            break;
        }
        roll -= w.weight;
    }
    switch (family) {
    case Family::ProcessData:
        return ProcessData(m, id, Pick(m, std::array<int, 9>{48, 49, 50, 51, 52, 53, 54, 56, 16}),
                           true);
    case Family::Read:
        return ParameterRead(m, id, Pick(m, std::array<int, 4>{0, 0, 1, 14}));
    case Family::Write:
        return ParameterWrite(m, id, Pick(m, std::array<int, 3>{0, 1, 14}));
    case Family::Attribute:
        return AttributeRead(m, id, Pick(m, std::array<int, 6>{2, 3, 4, 5, 7, 10}));
    case Family::Text:
        return TextRead(m, id, Pick(m, std::array<int, 5>{6, 8, 9, 11, 12}));
    case Family::TextWrite:
        return TextWrite(m, id, Pick(m, std::array<int, 2>{6, 11}));
    case Family::Default:
        return DefaultValue(m, id, Pick(m, std::array<int, 2>{32, 33}), m.Chance(300));
    case Family::Scope:
        return ScopeRead(m, id, Pick(m, std::array<int, 2>{18, 21}));
    case Family::PdRead:
        return ProcessData(m, id, Pick(m, std::array<int, 4>{16, 17, 19, 20}), false);
    }
    return {};
}

void TrafficGenerator::Enqueue(std::vector<std::uint8_t> bytes, std::uint32_t idleUs) {
    if (bytes.size() < 3)
        return;
    if (model_.Chance(settings_.badBccPermille))
        bytes.back() ^= static_cast<std::uint8_t>(model_.Uniform(1, 255));
    BusTelegram t;
    t.bytes = std::move(bytes);
    ClassifyTelegram(t);
    t.idleUs = idleUs;
    queue_.push_back(std::move(t));
}

bool TrafficGenerator::Next(BusTelegram& out) {
    while (queue_.empty()) {
        const bool viaOperator = settings_.operatorAddressing;
        const std::size_t drives = viaOperator ? kOperatorDrives.size() : kDrives.size();
        const std::uint8_t id =
            viaOperator ? kOperatorDrives[nextDrive_ % drives] : kDrives[nextDrive_ % drives];
        nextDrive_ = (nextDrive_ + 1) % drives;
        Transaction t = MakeTransaction(id);
        if (!t.response.empty() && t.response[0] != AnswerAddress(id)) {
            // Re-seal the answer after changing its address byte.
            t.response[0] = AnswerAddress(id);
            t.response.back() =
                Trx5Bcc(ByteView(t.response.data(), t.response.size()), t.response.size() - 1);
        }
        Enqueue(std::move(t.request), static_cast<std::uint32_t>(model_.Uniform(400, 3000)));
        // Now and then a drive does not answer at all.
        if (!model_.Chance(10))
            Enqueue(std::move(t.response), static_cast<std::uint32_t>(model_.Uniform(150, 1200)));
    }
    out = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

} // namespace protmon::lmsim
