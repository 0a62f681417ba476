#pragma once

#include "bus_telegram.h"
#include "service_templates.h"

#include <deque>

namespace protmon::lmsim {

struct GeneratorSettings {
    std::uint64_t seed = 1;
    std::vector<std::uint16_t> paramAddresses; // empty: a built-in set
    int errorPermille = 30;
    int badBccPermille = 5;
    // Seen through a fieldbus operator, a drive answers with its address byte plus one
    // (15 answers as 1).
    bool operatorAddressing = false;
};

// Endless, reproducible drive traffic: a master polling a few drives with process data and
// parameter services of every kind, each request followed by the drive's answer.
class TrafficGenerator : public ITelegramSource {
public:
    explicit TrafficGenerator(GeneratorSettings settings);
    bool Next(BusTelegram& out) override;

private:
    Transaction MakeTransaction(std::uint8_t id);
    void Enqueue(std::vector<std::uint8_t> bytes, std::uint32_t idleUs);
    std::uint8_t AnswerAddress(std::uint8_t id) const;

    GeneratorSettings settings_;
    DriveModel model_;
    std::deque<BusTelegram> queue_;
    std::size_t nextDrive_ = 0;
};

// A plausible parameter address set for drives without a description file.
std::vector<std::uint16_t> DefaultParamAddresses();

} // namespace protmon::lmsim
