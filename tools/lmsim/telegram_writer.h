#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace protmon::lmsim {

// Lays out the service fields of one telegram in a buffer whose size the length table gives for
// the service byte (and the count byte of variable services); Finish adds the block check.
// Field writes outside the telegram are ignored, so a template can never overrun it.
class TelegramWriter {
public:
    TelegramWriter(std::uint8_t address, std::uint8_t serviceByte, std::uint8_t count = 0);

    bool Valid() const { return !bytes_.empty(); }
    std::size_t Length() const { return bytes_.size(); }
    TelegramWriter& Byte(std::size_t pos, std::uint8_t v);
    TelegramWriter& Word(std::size_t pos, std::uint16_t v);
    TelegramWriter& Long(std::size_t pos, std::uint32_t v);
    TelegramWriter& Chars(std::size_t pos, std::string_view text);
    std::vector<std::uint8_t> Finish();

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace protmon::lmsim
