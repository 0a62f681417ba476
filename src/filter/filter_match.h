#pragma once

#include "filter/filter_criteria.h"
#include "model/byte_view.h"

#include <array>
#include <cstdint>

namespace protmon {

// Results of a match besides 0..255 (a value match, carrying the telegram's service byte).
constexpr int kNoMatch = -2;
constexpr int kPlainMatch = -1;

// A filter's criteria with every field text already read as a number, so that testing many
// entries parses nothing. Prepare it again after the criteria change.
class TPreparedFilter {
public:
    explicit TPreparedFilter(const TFilterCriteria& criteria);

    // -2 no match, -1 plain match, 0..255 value match (the service byte Data[1]). Reads at most
    // the first 50 bytes of `data`; anything missing reads as not carried.
    int Match(ByteView data) const;

private:
    int MatchValues(ByteView data, std::uint8_t serviceByte) const;

    bool rxErrors_;
    bool slaveSelect_;
    int idHigh_; // -1 when "All", else the nibble
    int idLow_;
    int reqRsp_;    // -1 when "All", else the wanted bit 7
    int readWrite_; // -1 when "All", else the wanted bit 6
    int service_;   // -1 when "All", else the service number
    bool valuesNeutral_;
    int ackIndex_; // list index, 0 = "All"
    std::array<bool, kValueFieldCount> fieldOn_{};
    std::array<std::int32_t, kValueFieldCount> fieldValue_{};
};

// Tests one entry's Data against one filter. Same result as TPreparedFilter(filter).Match(data).
int MatchTelegram(const TFilterCriteria& filter, ByteView data);

} // namespace protmon
