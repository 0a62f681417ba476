#pragma once

#include "model/byte_view.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace protmon {

// Which parameter annotation a request row gets while the L7 decoder is on.
enum class RequestNote : std::uint8_t {
    None,
    Name,             // " [ident name]" for the address at Data[2]
    NameValue,        // " [ident name=value]" for the address at Data[2], value at Data[4]
    ProcessParameter, // " [WR ...]" or " [RD ...]" by the parameter word at Data[10]
};

// Which value annotation a response row gets while the L7 decoder is on.
enum class ResponseNote : std::uint8_t {
    None,
    ReadValue,        // value at Data[2] in the units of the request's address
    ProcessParameter, // value at Data[10] for a process+parameter read
};

// How a response shows its error or status byte.
enum class Completion : std::uint8_t {
    None,        // no status byte
    ReplaceData, // error text instead of the data text
    AfterData,   // data, then ", ERROR :" and the error text or ", OK"
    WriteStatus, // text, then ", ERROR :" and the error text or ", OK!"
};

// One row of a service table. Format is the "Additional" text with fields in braces:
// {Wk} word, {Lk} long, {Bk} octet, {Hk,n} hex bytes, {SMk} set mask, {SSk} set selector,
// {SIk} subindex, {CHk} container header, {PHk} parameter header, {Ck,n} n characters and
// {CNk} the characters after the count byte at k.
struct TServiceRow {
    std::uint64_t Services = 0; // bit n set: the row decodes service number n
    std::string_view Format;
    RequestNote Request = RequestNote::None;
    ResponseNote Response = ResponseNote::None;
    Completion Done = Completion::None;
    std::uint8_t ErrorPos = 0; // status byte, or the count byte that precedes it when ErrorCounted
    bool ErrorCounted = false;
    std::string_view ErrorPrefix;
};

enum class ServiceTable : std::uint8_t { ReadRequest, WriteRequest, ReadResponse, WriteResponse };

// The table a telegram's service byte selects: read services 48 to 63 use the write tables.
ServiceTable SelectServiceTable(std::uint8_t serviceByte);
// The row of `table` for a service number 0..63, nullptr for an unsupported service.
const TServiceRow* FindServiceRow(ServiceTable table, int serviceNumber);

// Appends a row's format with the fields of `data` filled in.
void AppendServiceFields(std::string& out, std::string_view format, ByteView data, bool hexDisplay);

// Appends the whole "Additional" text of a coded telegram for `row` (nullptr gives
// "(Unsupportet Service)"), including its error or status part. Clears noErrorShown when an error
// text is shown.
void AppendServiceText(std::string& out, const TServiceRow* row, ByteView data, bool hexDisplay,
                       bool& noErrorShown);

} // namespace protmon
