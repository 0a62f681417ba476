#include "din_generator.h"

#include "capture/din_frame.h"

#include <array>

namespace protmon::lmsim {

namespace {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kEot = 0x04;
constexpr char kEnq = 0x05;
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr std::array<const char*, 6> kNames = {"Speed",   "Ramp up", "Current",
                                               "Voltage", "Torque",  "Fault"};

} // namespace

// The check character is the capture layer's: one rule for what is sent and what is checked.
static std::uint8_t BlockCheck(const std::string& covered) {
    return DinBlockCheck(
        ByteView(reinterpret_cast<const std::uint8_t*>(covered.data()), covered.size()));
}

DinTrafficGenerator::DinTrafficGenerator(std::uint64_t seed, int errorPermille, int badBccPermille)
    : rng_(seed), errorPermille_(errorPermille), badBccPermille_(badBccPermille) {}

std::string DinTrafficGenerator::Hex(std::uint32_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        s[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return s;
}

std::string DinTrafficGenerator::RandomHex(int digits) {
    std::string s;
    for (int i = 0; i < digits; ++i)
        s += Hex(static_cast<std::uint32_t>(Uniform(0, 15)), 1);
    return s;
}

void DinTrafficGenerator::Master(std::string chars, std::uint32_t idleUs) {
    BusTelegram t;
    t.bytes.assign(chars.begin(), chars.end());
    t.channel = 0;
    t.idleUs = idleUs;
    queue_.push_back(std::move(t));
}

void DinTrafficGenerator::Drive(std::string chars) {
    Master(std::move(chars), static_cast<std::uint32_t>(Uniform(500, 3000)));
    queue_.back().channel = 1;
}

// Letter, address digit, fields, ENQ and the check character over letter to ENQ.
std::string DinTrafficGenerator::Request(char letter, char address, const std::string& fields) {
    std::string s = std::string(1, letter) + address + fields + kEnq;
    std::uint8_t bcc = BlockCheck(s);
    if (Uniform(0, 999) < badBccPermille_)
        bcc = static_cast<std::uint8_t>(bcc ^ 0x01);
    return s + static_cast<char>(bcc);
}

// STX, body, ETX and the check character over body and ETX.
std::string DinTrafficGenerator::Block(const std::string& body) {
    const std::string covered = body + kEtx;
    std::uint8_t bcc = BlockCheck(covered);
    if (Uniform(0, 999) < badBccPermille_)
        bcc = static_cast<std::uint8_t>(bcc ^ 0x01);
    return std::string(1, kStx) + covered + static_cast<char>(bcc);
}

void DinTrafficGenerator::MakeTransaction() {
    const char address = Hex(static_cast<std::uint32_t>(Uniform(1, 4)), 1)[0];
    const std::string addr(1, address);
    const bool error = Uniform(0, 999) < errorPermille_;
    const std::string errorDigit = Hex(static_cast<std::uint32_t>(Uniform(1, 14)), 1);
    const auto idle = static_cast<std::uint32_t>(Uniform(1000, 5000));
    if (Uniform(0, 9) == 0)
        Master(std::string(1, kEot) + "0" + addr, idle); // select the drive first
    const std::string param = RandomHex(4);
    switch (Uniform(0, 6)) {
    case 0: // parameter value read (G, H, U)
    case 1: {
        const char letter = "GHU"[Uniform(0, 2)];
        Master(Request(letter, address, param + "01"), idle);
        Drive(error ? addr + errorDigit + kEot
                    : Block(std::string(1, letter) + addr +
                            Hex(static_cast<std::uint32_t>(Uniform(0, 3000)), 8)));
        break;
    }
    case 2: // parameter value write, acknowledged or refused
        Master(Block(std::string("G") + addr + param +
                     Hex(static_cast<std::uint32_t>(Uniform(0, 3000)), 8) + "01"),
               idle);
        Drive(error ? addr + errorDigit + kNak : addr + kAck);
        break;
    case 3: { // limits, properties, scaling, plaintext index
        const char letter = "IKLN"[Uniform(0, 3)];
        Master(Request(letter, address, param), idle);
        Drive(error ? addr + errorDigit + kEot
                    : Block(std::string(1, letter) + addr + RandomHex(16)));
        break;
    }
    case 4: { // parameter name
        const std::string name = kNames[static_cast<std::size_t>(Uniform(0, 5))];
        Master(Request('M', address, param + "0"), idle);
        Drive(error ? addr + errorDigit + kEot
                    : Block(std::string("M") + addr +
                            Hex(static_cast<std::uint32_t>(name.size()), 2) + name));
        break;
    }
    case 5: // process data
        Master(Request('W', address, ""), idle);
        Drive(Block(std::string("W") + addr + RandomHex(16)));
        break;
    default: { // short request and short data block
        Master(param + kEnq, idle);
        Drive(Block(param + RandomHex(4)));
        break;
    }
    }
}

bool DinTrafficGenerator::Next(BusTelegram& out) {
    if (next_ >= queue_.size()) {
        queue_.clear();
        next_ = 0;
        while (queue_.empty())
            MakeTransaction();
    }
    out = std::move(queue_[next_++]);
    return true;
}

} // namespace protmon::lmsim
