#pragma once

#include "model/capture_settings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace protmon {

class TTelegramList;
class TCfgRec;

// Everything a row's texts depend on besides the entry itself. The window, the clipboard copy and
// the command-line tool fill one of these from their own state, so all of them show the same texts.
struct TDecodeContext {
    const TTelegramList* List = nullptr;
    // Decides between raw chunks and status entries / coded telegrams.
    Protocol Selection = Protocol::Trx5;
    bool HexDisplay = false;
    // Position of the marked entry, -1 for none.
    int MarkIndex = -1;
    // Flags of the recording; the Comm bit changes how responses find their requests.
    std::uint32_t SourceFlags = 0;
    // Description set of the L7 decoder: TZXCfgList::GetCfg(DecoderSetIndex), which is nullptr
    // while the decoder is off (index -1). Parameter annotations are added only with a set. Build
    // the context afresh for each redraw or copy: removing the set invalidates the pointer.
    const TCfgRec* DecoderSet = nullptr;
    // Name slot of the description records; 1 is the loaded display language.
    int Language = 1;
    // Decimal separator of scaled values (the user's setting).
    char DecimalSeparator = '.';
};

// The context of a recording's rows: its list, its capture settings, the description set of the
// L7 decoder (nullptr while it is off) and the decimal separator; the rest as by default.
TDecodeContext MakeDecodeContext(const TTelegramList& list, const TCaptureSettings& settings,
                                 const TCfgRec* set = nullptr, char decimalSeparator = '.');

// The class part of a coded telegram's "Function/Service" text ("Req Read ", "Rsp Write "...),
// chosen by bits 7..6 of its service byte.
std::string_view TelegramClassText(std::uint8_t serviceByte);

// The four cell texts of one row, as 8-bit (Latin-1) bytes handed over unchanged: the caption of
// column "#", then "ID", "Function/Service" and "Additional".
struct TRowTexts {
    std::string Caption;
    std::string Id;
    std::string Service;
    std::string Additional;

    void Clear() {
        Caption.clear();
        Id.clear();
        Service.clear();
        Additional.clear();
    }
};

// Fills `out` with the texts of the entry at `position` of ctx.List. The strings are cleared and
// refilled, so a caller that reuses one TRowTexts for many rows allocates nothing once the strings
// have grown. Returns false, with all four texts empty, when there is no list or no entry at that
// position. Never modifies the entry.
bool DecodeTelegramRow(const TDecodeContext& ctx, int position, TRowTexts& out);

// Convenience form for callers that decode a single row.
TRowTexts DecodeTelegramRow(const TDecodeContext& ctx, int position);

// How many entries back a response's request is looked for.
inline constexpr int kRequestSearchDepth = 9;

// Position of the request answered by the response at `position`: the nearest of the up to 9
// entries before it whose address byte matches (with the Comm bit in sourceFlags: request address
// plus 1, or 15 for response address 1) and whose service byte is the response's minus 128.
// Status entries are never taken as requests. -1 when there is none.
int FindRequestForResponse(const TTelegramList& list, int position, std::uint32_t sourceFlags);

// The address byte that the request of a response with address byte `responseAddress` carries:
// the same, or with the Comm bit in sourceFlags one below (the fieldbus operator answers with its
// own address, one above the drive's), 15 for 1.
std::uint8_t RequestAddressFor(std::uint8_t responseAddress, std::uint32_t sourceFlags);

// The one request search, for any store of entries: how many entries back (1 .. 9) the nearest
// request of a response lies, 0 for none. `available` is how many entries precede the response;
// `at(back)` gives the {address byte, service byte} of the entry that many back. A status entry
// has address byte 0, which no request address is, so it is passed over.
template <class AddressServiceAt>
int FindRequestBack(std::uint8_t responseAddress, int responseService, int available,
                    std::uint32_t sourceFlags, AddressServiceAt at) {
    const int requestAddress = RequestAddressFor(responseAddress, sourceFlags);
    const int depth = available < kRequestSearchDepth ? available : kRequestSearchDepth;
    for (int back = 1; back <= depth; ++back) {
        const auto [address, service] = at(back);
        if (address == requestAddress && responseService - service == 128)
            return back;
    }
    return 0;
}

} // namespace protmon
