#include "bus_bytes_source.h"

#include "capture/trx5_length.h"

#include <fstream>
#include <iterator>

namespace protmon::lmsim {

namespace {

// A frame carries at most 251 telegram bytes (its length byte counts four more).
constexpr std::size_t kMaxTelegram = 251;

} // namespace

bool BusBytesSource::Load(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Length of a well-formed telegram starting at pos, or 0.
std::size_t BusBytesSource::TelegramAt(std::size_t pos) const {
    const ByteView rest(bytes_.data() + pos, bytes_.size() - pos);
    const int length = Trx5TelegramLength(rest);
    if (length < 3 || static_cast<std::size_t>(length) > rest.size() ||
        static_cast<std::size_t>(length) > kMaxTelegram)
        return 0;
    const auto n = static_cast<std::size_t>(length);
    return Trx5Bcc(rest, n - 1) == rest.at(n - 1) ? n : 0;
}

bool BusBytesSource::Next(BusTelegram& out) {
    if (pos_ >= bytes_.size())
        return false;
    std::size_t n = TelegramAt(pos_);
    const bool telegram = n != 0;
    if (!telegram) {
        n = 1;
        while (n < kChunk && pos_ + n < bytes_.size() && TelegramAt(pos_ + n) == 0)
            ++n;
    }
    out = BusTelegram{};
    out.bytes.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_),
                     bytes_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
    if (telegram)
        ClassifyTelegram(out);
    out.idleUs = 1000;
    pos_ += n;
    return true;
}

} // namespace protmon::lmsim
