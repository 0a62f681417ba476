#include "decode/decode_row.h"

#include "decode/annotations.h"
#include "decode/formatters.h"
#include "decode/service_tables.h"
#include "descriptions/cfg_list.h"
#include "model/telegram_list.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace protmon {

namespace {

constexpr std::uint8_t kNoAddressByte = 255;
// A raw chunk cannot hold more bytes than follow its count byte.
constexpr std::size_t kMaxRawCount = kTelDataSize - 1;

constexpr std::array<std::string_view, 4> kClassTexts = {
    "Req Read ",
    "Req Write ",
    "Rsp Read ",
    "Rsp Write ",
};

void AppendCaption(std::string& out, int position, int markIndex) {
    const bool marked = position == markIndex;
    if (marked)
        out += '<';
    AppendDecimal(out, position);
    if (marked)
        out += '>';
}

// "ID" text of an address byte: blank for telegrams without one, else two hex digits and a blank.
void AppendAddress(std::string& out, std::uint8_t address) {
    if (address != kNoAddressByte)
        AppendHex(out, address, 2);
    out += ' ';
}

void DecodeRawChunk(const TTelEntry& e, TRowTexts& out) {
    // A count beyond the data area can only come from a damaged file: show what is there.
    const ByteView data(e.Data);
    const ByteView bytes = data.sub(1, std::min<std::size_t>(data.at(0), kMaxRawCount));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendHex(out.Service, bytes.at(i), 2);
        out.Service += ' ';
    }
    MakeCharsText(out.Additional, bytes, 0, bytes.size());
}

void DecodeStatus(const TTelEntry& e, TRowTexts& out) {
    const ByteView d(e.Data);
    const std::uint8_t kind = d.at(1);
    bool noErrorShown = true;
    switch (kind) {
    case kStatusWriteOk:
    case kStatusWriteError:
    case kStatusReadError:
        AppendAddress(out.Id, d.at(3));
        out.Service = kind == kStatusReadError ? "Rsp Read " : "Rsp Write ";
        if (kind == kStatusWriteOk) {
            out.Additional = "OK ";
        } else {
            out.Additional = "ERROR :";
            MakeErrorText(out.Additional, d.at(2), noErrorShown);
        }
        return;
    case kStatusSelect:
        out.Id = " ";
        out.Service = "Select:";
        out.Additional = "Slave ";
        AppendDecimal(out.Additional, d.at(2));
        return;
    default:
        break;
    }
    out.Id = "!";
    out.Service = "ReceiveError";
    switch (kind) {
    case kStatusBcc:
        out.Additional = "BCC";
        break;
    case kStatusOverrun:
        out.Additional = "Overrun";
        break;
    case kStatusFraming:
        out.Additional = "Framing";
        break;
    case kStatusParity:
        out.Additional = "Parity";
        break;
    case kStatusIllegalFrame:
        out.Additional = "Illegal Frame";
        break;
    default:
        out.Additional = "Unknown:";
        AppendDecimal(out.Additional, kind);
        break;
    }
}

void DecodeTelegram(const TDecodeContext& ctx, int position, const TTelEntry& e, TRowTexts& out) {
    // Fields are read only within the bytes a stored telegram can occupy.
    const ByteView d(e.Data.data(), kMaxStoredTelegram);
    const std::uint8_t address = d.at(0);
    const std::uint8_t service = d.at(1);
    const int telegramClass = service >> 6;
    const int serviceNumber = service & 0x3F;
    bool noErrorShown = true;

    AppendAddress(out.Id, address);
    out.Service = TelegramClassText(service);
    if (address != kNoAddressByte)
        AppendDecimal(out.Service, serviceNumber);

    const TServiceRow* row = FindServiceRow(SelectServiceTable(service), serviceNumber);
    AppendServiceText(out.Additional, row, d, ctx.HexDisplay, noErrorShown);

    const TCfgRec* set = ctx.DecoderSet;
    if (set == nullptr || row == nullptr)
        return;
    if (telegramClass < 2)
        AnnotateRequestParameter(out.Additional, *set, ctx, d, row->Request);
    else if (noErrorShown)
        AnnotateResponseValue(out.Additional, *set, ctx, position, d, row->Response);
}

} // namespace

std::string_view TelegramClassText(std::uint8_t serviceByte) {
    return kClassTexts[static_cast<std::size_t>(serviceByte >> 6)];
}

bool DecodeTelegramRow(const TDecodeContext& ctx, int position, TRowTexts& out) {
    out.Clear();
    const TTelEntry* e = ctx.List != nullptr ? ctx.List->At(position) : nullptr;
    if (e == nullptr)
        return false;
    AppendCaption(out.Caption, position, ctx.MarkIndex);
    if (ctx.Selection == Protocol::Raw)
        DecodeRawChunk(*e, out);
    else if (ByteView(e->Data).at(0) == 0)
        DecodeStatus(*e, out);
    else
        DecodeTelegram(ctx, position, *e, out);
    return true;
}

TDecodeContext MakeDecodeContext(const TTelegramList& list, const TCaptureSettings& settings,
                                 const TCfgRec* set, char decimalSeparator) {
    TDecodeContext ctx;
    ctx.List = &list;
    ctx.Selection = settings.Selection;
    ctx.SourceFlags = settings.SourceFlags;
    ctx.DecoderSet = set;
    ctx.DecimalSeparator = decimalSeparator;
    return ctx;
}

TRowTexts DecodeTelegramRow(const TDecodeContext& ctx, int position) {
    TRowTexts out;
    DecodeTelegramRow(ctx, position, out);
    return out;
}

int FindRequestForResponse(const TTelegramList& list, int position, std::uint32_t sourceFlags) {
    const TTelEntry* response = list.At(position);
    if (response == nullptr)
        return -1;
    const ByteView r(response->Data);
    // Address byte 0 marks a status entry, which answers nothing.
    if (r.at(0) == 0)
        return -1;
    const int back = FindRequestBack(r.at(0), r.at(1), position, sourceFlags, [&](int b) {
        const ByteView candidate(list.At(position - b)->Data);
        return std::pair<int, int>(candidate.at(0), candidate.at(1));
    });
    return back == 0 ? -1 : position - back;
}

std::uint8_t RequestAddressFor(std::uint8_t responseAddress, std::uint32_t sourceFlags) {
    if ((sourceFlags & kSourceComm) == 0)
        return responseAddress;
    // Address 15 wraps to 1; a response never carries 0, which marks a status entry.
    return responseAddress == 1 ? 15 : static_cast<std::uint8_t>(responseAddress - 1);
}

} // namespace protmon
