#pragma once

#include "bus_telegram.h"

#include <string>

namespace protmon::lmsim {

// Plays recorded bus bytes: cut into telegrams by the length rule where a telegram with a good
// block check starts, and into chunks of up to kChunk bytes (up to the next such telegram)
// everywhere else, as a box that cuts by line gaps would forward unknown traffic.
class BusBytesSource : public ITelegramSource {
public:
    static constexpr std::size_t kChunk = 16;

    explicit BusBytesSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    // Reads the whole file; false if it cannot be read.
    static bool Load(const std::string& path, std::vector<std::uint8_t>& bytes);

    void Restart() override { pos_ = 0; }
    bool Next(BusTelegram& out) override;

private:
    std::size_t TelegramAt(std::size_t pos) const;

    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

} // namespace protmon::lmsim
