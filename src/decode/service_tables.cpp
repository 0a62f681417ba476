#include "decode/service_tables.h"

#include "decode/formatters.h"

#include <array>
#include <initializer_list>
#include <span>

namespace protmon {

namespace {

constexpr std::uint64_t Svc(std::initializer_list<int> numbers) {
    std::uint64_t mask = 0;
    for (int n : numbers)
        mask |= std::uint64_t{1} << n;
    return mask;
}

using RN = RequestNote;

constexpr TServiceRow Req(std::uint64_t services, std::string_view format, RN note = RN::None) {
    return {services, format, note, ResponseNote::None, Completion::None, 0, false, {}};
}

// clang-format off
constexpr TServiceRow kReadRequestRows[] = {
    Req(Svc({0}),  "Value of address:{W2} Set:{SM4}", RN::Name),
    Req(Svc({1}),  "Value of address:{W2} {SS4}", RN::Name),
    Req(Svc({2}),  "Limits of address:{W2}", RN::Name),
    Req(Svc({3}),  "Default value of address:{W2}", RN::Name),
    Req(Svc({4}),  "Properties of address:{W2}", RN::Name),
    Req(Svc({5}),  "Scaling of address:{W2}", RN::Name),
    Req(Svc({6}),  "Parameter name of address:{W2} Language:{B4}", RN::Name),
    Req(Svc({7}),  "Plaintext index of address:{W2}", RN::Name),
    Req(Svc({8}),  "Operator plaintext for index:{W2} Subindex:{W4} Language:{B6}"),
    Req(Svc({9}),  "Bus plaintext for index:{W2} Defindex:{B4} Subindex:{B5} Language:{B6}"),
    Req(Svc({10}), "Group properties of address:{W2}"),
    Req(Svc({11}), "Group name of address:{W2} Language:{B4}"),
    Req(Svc({12}), "Bus plaintext definition for index:{W2} Defindex:{B4} Language:{B5}"),
    Req(Svc({14}), "Value of index:{W2} Subindex: {SI4}"),
    Req(Svc({16, 19}), "Process data 2*32 bits"),
    Req(Svc({17, 20}), "Process data 4*16 bits"),
    Req(Svc({18}), "Scope data"),
    Req(Svc({21}), "Scope data Mode:{B2} Index:{W3}"),
    Req(Svc({32}), "Check default value of address:{W2} Set:{SM4}", RN::Name),
    Req(Svc({33}), "Check default value of address:{W2} {SS4}", RN::Name),
};

constexpr TServiceRow kWriteRequestRows[] = {
    Req(Svc({0}),  "Value, Address:{W2} Data:{L4} Set:{SM8}", RN::NameValue),
    Req(Svc({1}),  "Value, Address:{W2} Data:{L4} {SS8}", RN::NameValue),
    Req(Svc({14}), "Value, Index:{W2} Data:{L4} Subindex: {SI8}"),
    Req(Svc({16, 19, 48, 51}), "Process data 2*32 bits, PD 1:{L2} PD 2:{L6}"),
    Req(Svc({17, 20, 49, 52}), "Process data 4*16 bits, PD 1:{W2} PD 2:{W4} PD 3:{W6} PD 4:{W8}"),
    Req(Svc({32}), "Set default value of address:{W2} Set:{SM4}", RN::Name),
    Req(Svc({33}), "Set default value of address:{W2} {SS4}", RN::Name),
    Req(Svc({50, 53}), "Process+Parameter, PD 1:{L2} PD 2:{W6} PD 3:{W8} ParaAdr:{W10} ParaData:{L12}",
        RN::ProcessParameter),
    Req(Svc({54, 55}), "Process+Container, PD:{H2,8} CHdr:{CH10} C:{H11,8}"),
    Req(Svc({56}), "Process+Parameter, PD:{H2,20} Hdr:{PH22} Address:{W23} Set:{B25} Data:{L26}"),
};

// Read responses: the error byte replaces the data by the error prefix and its text.
constexpr TServiceRow ReadRsp(std::uint64_t services, std::string_view format, int errorPos,
                              std::string_view prefix, ResponseNote note = ResponseNote::None) {
    return {services, format, RN::None, note, Completion::ReplaceData,
            static_cast<std::uint8_t>(errorPos), false, prefix};
}
// Read responses whose text follows a count byte at countPos; the error byte follows the text.
constexpr TServiceRow CountedRsp(std::uint64_t services, std::string_view format, int countPos,
                                 std::string_view prefix) {
    return {services, format, RN::None, ResponseNote::None, Completion::ReplaceData,
            static_cast<std::uint8_t>(countPos), true, prefix};
}
// Responses that show their data and then the completion status at statusPos.
constexpr TServiceRow StatusRsp(std::uint64_t services, std::string_view format, Completion done,
                                int statusPos, ResponseNote note = ResponseNote::None) {
    return {services, format, RN::None, note, done, static_cast<std::uint8_t>(statusPos), false, {}};
}

constexpr TServiceRow kReadResponseRows[] = {
    ReadRsp(Svc({0, 1}), "Value, Data :{L2}", 6, "Value, ERROR :", ResponseNote::ReadValue),
    ReadRsp(Svc({14}), "Value, Data :{L2}", 6, "Value, ERROR :"),
    ReadRsp(Svc({2}), "Limits, Lowlimit:{L2} Highlimit:{L6}", 10, "Limits, ERROR :"),
    ReadRsp(Svc({3}), "Default value, Data:{L2}", 6, "Default value, ERROR :"),
    ReadRsp(Svc({4}), "Property 1:{L2} Property 2:{L6}", 10, "Properties, ERROR :"),
    ReadRsp(Svc({5}), "Scaling, Div:{W2} Mul:{W4} Ofs:{W6} Flg:{W8}", 10, "Scaling, ERROR :"),
    CountedRsp(Svc({6}), "Parameter name, Txt:{CN2}", 2, "Parameter name, ERROR :"),
    ReadRsp(Svc({7}), "Plaintext index, IndD:{W2} CntD:{W4} IndC:{W6} CntC:{W8}", 10,
            "Plaintext index, ERROR :"),
    ReadRsp(Svc({8}), "Operator plaintext, Data:{L2} Type:{B6} Seg:{C7,5}", 12,
            "Operator plaintext, ERROR :"),
    CountedRsp(Svc({9}), "Bus plaintext, Data:{L2} Type:{B6} Txt:{CN7}", 7,
               "Bus plaintext, ERROR :"),
    ReadRsp(Svc({10}), "Group properties, Index:{B2} Txt:{C3,3} Prop:{W6} Hpara:{B8} Cnt:{B9}", 10,
            "Group properties, ERROR :"),
    CountedRsp(Svc({11}), "Group name, Txt:{CN2}", 2, "Group name, ERROR :"),
    CountedRsp(Svc({12}), "Bus plaintext definition, Mask:{L2} Cnt:{B6} Txt:{CN7}", 7,
               "Bus plaintext definition, ERROR :"),
    StatusRsp(Svc({16, 19}), "Process data 2*32 bits, PD 1:{L2} PD 2:{L6}", Completion::AfterData, 10),
    StatusRsp(Svc({17, 20}), "Process data 4*16 bits, PD 1:{W2} PD 2:{W4} PD 3:{W6} PD 4:{W8}",
              Completion::AfterData, 10),
    ReadRsp(Svc({18}), "Scope data, Time:{W2} ChA:{L4} ChB:{L8} ChC:{W12} ChD:{W14}", 16,
            "Scope data, ERROR :"),
    ReadRsp(Svc({21}), "Scope data, Time:{W2} ChA:{L4} ChB:{L8} ChC:{L12} ChD:{L16}", 20,
            "Scope data, ERROR :"),
    ReadRsp(Svc({32, 33}), "Check default value, OK!", 2, "Check default value, ERROR :"),
};

constexpr auto WS = Completion::WriteStatus;

constexpr TServiceRow kWriteResponseRows[] = {
    StatusRsp(Svc({0, 1, 14}), "Value", WS, 2),
    StatusRsp(Svc({16, 19}), "Process data 2*32 bits", WS, 2),
    StatusRsp(Svc({17, 20}), "Process data 4*16 bits", WS, 2),
    StatusRsp(Svc({32, 33}), "Set default value", WS, 2),
    StatusRsp(Svc({48, 51}), "Process data 2*32 bits, PD 1:{L2} PD 2:{L6}", WS, 10),
    StatusRsp(Svc({49, 52}), "Process data 4*16 bits, PD 1:{W2} PD 2:{W4} PD 3:{W6} PD 4:{W8}", WS,
              10),
    StatusRsp(Svc({50, 53}), "Process+Parameter, PD 1:{L2} PD 2:{W6} PD 3:{W8} Data:{L10}", WS, 14,
              ResponseNote::ProcessParameter),
    StatusRsp(Svc({54, 55}), "Process+Container, PD:{H2,8} CHdr:{CH10} C:{H11,8}", Completion::None, 0),
    StatusRsp(Svc({56}), "Process+Parameter, PD:{H2,20} Hdr:{PH22} Data:{L23} PdLen:{B27}", WS, 28),
};
// clang-format on

// A parsed "{...}" field of a row format.
struct TFieldRef {
    std::string_view Kind; // "W", "L", "B", "H", "SM", "SS", "SI", "CH", "PH", "C", "CN"
    std::size_t Pos = 0;
    std::size_t Count = 0;
    std::size_t End = 0; // index just after the closing brace
    bool Valid = false;
};

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Parses the field that starts with "{" at format[i].
constexpr TFieldRef ParseField(std::string_view format, std::size_t i) {
    TFieldRef f;
    std::size_t j = i + 1;
    const std::size_t kindStart = j;
    while (j < format.size() && format[j] >= 'A' && format[j] <= 'Z')
        ++j;
    f.Kind = format.substr(kindStart, j - kindStart);
    if (j >= format.size() || !IsDigit(format[j]))
        return f;
    while (j < format.size() && IsDigit(format[j]))
        f.Pos = f.Pos * 10 + static_cast<std::size_t>(format[j++] - '0');
    const bool counted = f.Kind == "H" || f.Kind == "C";
    if (counted) {
        if (j >= format.size() || format[j] != ',')
            return f;
        ++j;
        while (j < format.size() && IsDigit(format[j]))
            f.Count = f.Count * 10 + static_cast<std::size_t>(format[j++] - '0');
    }
    if (j >= format.size() || format[j] != '}')
        return f;
    f.End = j + 1;
    constexpr std::string_view kKinds[] = {"W",  "L",  "B",  "H", "SM", "SS",
                                           "SI", "CH", "PH", "C", "CN"};
    for (std::string_view k : kKinds)
        f.Valid = f.Valid || k == f.Kind;
    return f;
}

constexpr bool ValidFormat(std::string_view format) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '}')
            return false;
        if (format[i] != '{')
            continue;
        const TFieldRef f = ParseField(format, i);
        if (!f.Valid)
            return false;
        i = f.End - 1;
    }
    return true;
}

constexpr bool ValidRows(std::span<const TServiceRow> rows) {
    std::uint64_t seen = 0;
    for (const TServiceRow& r : rows) {
        if (!ValidFormat(r.Format) || (seen & r.Services) != 0)
            return false;
        seen |= r.Services;
    }
    return true;
}

static_assert(ValidRows(kReadRequestRows));
static_assert(ValidRows(kWriteRequestRows));
static_assert(ValidRows(kReadResponseRows));
static_assert(ValidRows(kWriteResponseRows));

using TRowIndex = std::array<const TServiceRow*, 64>;

constexpr TRowIndex IndexRows(std::span<const TServiceRow> rows) {
    TRowIndex index{};
    for (const TServiceRow& r : rows)
        for (int n = 0; n < 64; ++n)
            if (r.Services & (std::uint64_t{1} << n))
                index[static_cast<std::size_t>(n)] = &r;
    return index;
}

constexpr TRowIndex kRowIndex[] = {
    IndexRows(kReadRequestRows),
    IndexRows(kWriteRequestRows),
    IndexRows(kReadResponseRows),
    IndexRows(kWriteResponseRows),
};

void AppendField(std::string& out, const TFieldRef& f, ByteView data, bool hex) {
    const std::string_view k = f.Kind;
    if (k == "W")
        MakeWordText(out, data, f.Pos, hex);
    else if (k == "L")
        MakeLongText(out, data, f.Pos, hex);
    else if (k == "B")
        MakeOctetText(out, data, f.Pos, hex);
    else if (k == "H")
        MakeHexBytesText(out, data, f.Pos, f.Count);
    else if (k == "SM")
        MakeSetMaskText(out, data.at(f.Pos));
    else if (k == "SS")
        MakeSetSelectorText(out, data.at(f.Pos));
    else if (k == "SI")
        MakeSubindexText(out, data.at(f.Pos));
    else if (k == "CH")
        MakeContainerHeaderText(out, data.at(f.Pos));
    else if (k == "PH")
        MakeParamHeaderText(out, data.at(f.Pos));
    else if (k == "C")
        MakeCharsText(out, data, f.Pos, f.Count);
    else if (k == "CN")
        MakeCharsText(out, data, f.Pos + 1, data.at(f.Pos));
}

std::size_t ErrorBytePos(const TServiceRow& row, ByteView data) {
    return row.ErrorCounted ? row.ErrorPos + 1u + data.at(row.ErrorPos) : row.ErrorPos;
}

} // namespace

ServiceTable SelectServiceTable(std::uint8_t serviceByte) {
    const bool high = (serviceByte & 0x3F) >= 48;
    switch (serviceByte >> 6) {
    case 0:
        return high ? ServiceTable::WriteRequest : ServiceTable::ReadRequest;
    case 1:
        return ServiceTable::WriteRequest;
    case 2:
        return high ? ServiceTable::WriteResponse : ServiceTable::ReadResponse;
    default:
        return ServiceTable::WriteResponse;
    }
}

const TServiceRow* FindServiceRow(ServiceTable table, int serviceNumber) {
    if (serviceNumber < 0 || serviceNumber >= 64)
        return nullptr;
    return kRowIndex[static_cast<int>(table)][static_cast<std::size_t>(serviceNumber)];
}

void AppendServiceFields(std::string& out, std::string_view format, ByteView data,
                         bool hexDisplay) {
    std::size_t i = 0;
    while (i < format.size()) {
        const std::size_t brace = format.find('{', i);
        if (brace == std::string_view::npos) {
            out.append(format.substr(i));
            return;
        }
        out.append(format.substr(i, brace - i));
        const TFieldRef f = ParseField(format, brace);
        AppendField(out, f, data, hexDisplay);
        i = f.End;
    }
}

void AppendServiceText(std::string& out, const TServiceRow* row, ByteView data, bool hexDisplay,
                       bool& noErrorShown) {
    if (row == nullptr) {
        out += "(Unsupportet Service)";
        return;
    }
    const std::uint8_t status = data.at(ErrorBytePos(*row, data));
    switch (row->Done) {
    case Completion::None:
        AppendServiceFields(out, row->Format, data, hexDisplay);
        break;
    case Completion::ReplaceData:
        if (status != 0) {
            out += row->ErrorPrefix;
            MakeErrorText(out, status, noErrorShown);
        } else {
            AppendServiceFields(out, row->Format, data, hexDisplay);
        }
        break;
    case Completion::AfterData:
    case Completion::WriteStatus:
        AppendServiceFields(out, row->Format, data, hexDisplay);
        if (status != 0) {
            out += ", ERROR :";
            MakeErrorText(out, status, noErrorShown);
        } else {
            out += row->Done == Completion::AfterData ? ", OK" : ", OK!";
        }
        break;
    }
}

} // namespace protmon
