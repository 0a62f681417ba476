#include "filter/filter_match.h"

#include "filter/number_parse.h"
#include "filter/value_layout.h"
#include "model/tel_entry.h"

#include <charconv>

namespace protmon {

namespace {

int ServiceNumberOfItem(int index) {
    const auto items = ServiceItems();
    if (index <= 0 || index >= static_cast<int>(items.size()))
        return -1;
    int number = -1;
    const std::string_view text = items[static_cast<std::size_t>(index)];
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

int IndexMinusOne(int index) {
    return index > 0 ? index - 1 : -1;
}

} // namespace

TPreparedFilter::TPreparedFilter(const TFilterCriteria& c)
    : rxErrors_(c.RxErrors), slaveSelect_(c.SlaveSelect), idHigh_(IndexMinusOne(c.IDHigh)),
      idLow_(IndexMinusOne(c.IDLow)), reqRsp_(IndexMinusOne(c.ReqRsp)),
      readWrite_(IndexMinusOne(c.ReadWrite)), service_(ServiceNumberOfItem(c.Service)),
      valuesNeutral_(c.ValuesNeutral()), ackIndex_(c.Acknowledge) {
    for (std::size_t f = 0; f < kValueFieldCount; ++f) {
        fieldOn_[f] = !c.Values[f].All;
        if (fieldOn_[f])
            fieldValue_[f] = ParseNumberText(c.Values[f].Text);
    }
}

int TPreparedFilter::Match(ByteView whole) const {
    const ByteView data = whole.sub(0, kMatchedDataSize);
    const std::uint8_t id = data.at(0);
    const std::uint8_t serviceByte = data.at(1);
    if (rxErrors_)
        return id == 0 && serviceByte != kStatusSelect ? kPlainMatch : kNoMatch;
    if (id == 0 && serviceByte == kStatusSelect)
        return slaveSelect_ ? kPlainMatch : kNoMatch;
    if (idHigh_ >= 0 && (id >> 4) != idHigh_)
        return kNoMatch;
    if (idLow_ >= 0 && (id & 0x0F) != idLow_)
        return kNoMatch;
    if (reqRsp_ >= 0 && (serviceByte >> 7) != reqRsp_)
        return kNoMatch;
    if (readWrite_ >= 0 && ((serviceByte >> 6) & 1) != readWrite_)
        return kNoMatch;
    if (service_ >= 0 && (serviceByte & 0x3F) != service_)
        return kNoMatch;
    if (valuesNeutral_)
        return kPlainMatch;
    return MatchValues(data, serviceByte);
}

int TPreparedFilter::MatchValues(ByteView data, std::uint8_t serviceByte) const {
    const TValueLayout& layout = ValueLayoutFor(serviceByte);
    int result = kNoMatch;
    if (ackIndex_ != 0) {
        const auto ack = ReadAcknowledge(layout, data);
        if (!ack)
            return kNoMatch;
        if (ackIndex_ == kAckGreaterZeroIndex && *ack > 0)
            return serviceByte;
        // In 64 bits: an index from outside the list (INT_MIN) must not overflow.
        if (*ack != std::int64_t{ackIndex_} - 1)
            return kNoMatch;
        result = serviceByte;
    }
    // Order of the tests: ParameterData, Address, PD1 .. PD4.
    for (std::size_t f = 0; f < kValueFieldCount; ++f) {
        if (!fieldOn_[f])
            continue;
        const auto value = ReadField(layout.Fields[f], data);
        if (!value || *value != fieldValue_[f])
            return kNoMatch;
        result = serviceByte;
    }
    return result != kNoMatch ? result : kPlainMatch;
}

int MatchTelegram(const TFilterCriteria& filter, ByteView data) {
    return TPreparedFilter(filter).Match(data);
}

} // namespace protmon
