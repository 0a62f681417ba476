#pragma once

#include "bus_telegram.h"

#include <random>
#include <string>

namespace protmon::lmsim {

// Drive traffic in the ASCII protocol (7 data bits): selects, requests with ENQ, data blocks
// between STX and ETX, acknowledges, negative acknowledges and end characters with status codes,
// each a separate bus telegram as a box that cuts by line gaps would see it.
class DinTrafficGenerator : public ITelegramSource {
public:
    explicit DinTrafficGenerator(std::uint64_t seed, int errorPermille, int badBccPermille);
    bool Next(BusTelegram& out) override;

private:
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::string Hex(std::uint32_t value, int digits);
    std::string RandomHex(int digits);
    void Master(std::string chars, std::uint32_t idleUs);
    void Drive(std::string chars);
    std::string Request(char letter, char address, const std::string& fields);
    std::string Block(const std::string& body);
    void MakeTransaction();

    std::mt19937_64 rng_;
    int errorPermille_;
    int badBccPermille_;
    std::vector<BusTelegram> queue_;
    std::size_t next_ = 0;
};

} // namespace protmon::lmsim
