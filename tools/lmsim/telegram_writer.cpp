#include "telegram_writer.h"

#include "capture/trx5_length.h"

#include <algorithm>

namespace protmon::lmsim {

TelegramWriter::TelegramWriter(std::uint8_t address, std::uint8_t serviceByte, std::uint8_t count) {
    const TTrx5LengthRule rule = Trx5LengthRule(serviceByte);
    if (rule.Base == 0)
        return;
    std::vector<std::uint8_t> head(std::max<std::size_t>(rule.CountPos + 1u, 2u), 0);
    head[0] = address;
    head[1] = serviceByte;
    if (rule.CountPos != 0)
        head[rule.CountPos] = count;
    const int length = Trx5TelegramLength(ByteView(head.data(), head.size()));
    if (length < 3 || static_cast<std::size_t>(length) <= rule.CountPos)
        return;
    bytes_.assign(static_cast<std::size_t>(length), 0);
    for (std::size_t i = 0; i < head.size(); ++i)
        bytes_[i] = head[i];
}

TelegramWriter& TelegramWriter::Byte(std::size_t pos, std::uint8_t v) {
    // The last byte is the block check; fields never reach it.
    if (pos + 1 < bytes_.size() && pos >= 2)
        bytes_[pos] = v;
    return *this;
}

TelegramWriter& TelegramWriter::Word(std::size_t pos, std::uint16_t v) {
    Byte(pos, static_cast<std::uint8_t>(v >> 8));
    return Byte(pos + 1, static_cast<std::uint8_t>(v));
}

TelegramWriter& TelegramWriter::Long(std::size_t pos, std::uint32_t v) {
    Word(pos, static_cast<std::uint16_t>(v >> 16));
    return Word(pos + 2, static_cast<std::uint16_t>(v));
}

TelegramWriter& TelegramWriter::Chars(std::size_t pos, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        Byte(pos + i, static_cast<std::uint8_t>(text[i]));
    return *this;
}

std::vector<std::uint8_t> TelegramWriter::Finish() {
    if (bytes_.empty())
        return {};
    bytes_.back() = Trx5Bcc(ByteView(bytes_.data(), bytes_.size()), bytes_.size() - 1);
    return std::move(bytes_);
}

} // namespace protmon::lmsim
