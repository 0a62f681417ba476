#include "decode/annotations.h"

#include "decode/formatters.h"
#include "descriptions/cfg_list.h"
#include "model/telegram_list.h"

namespace protmon {

namespace {

constexpr std::uint8_t kNoAddressByte = 255;
constexpr std::uint16_t kProcessParameterWrite = 0x8000;

// Telegrams without an address byte carry 16-bit values unless the parameter says otherwise.
std::int32_t TelegramValue(const TParaRec& para, ByteView data, std::size_t k) {
    std::uint32_t v = MakeLongValue(data, k);
    if (data.at(0) == kNoAddressByte && (para.Attributes & kAttrFullLong) == 0)
        v &= 0xFFFF;
    return static_cast<std::int32_t>(v);
}

void AppendValue(std::string& out, const TParaRec& para, const TDecodeContext& ctx,
                 std::int32_t value) {
    para.AppendValueText(out, value, ctx.Language, "+", true, ctx.DecimalSeparator);
}

void AppendIdentAndName(std::string& out, const TParaRec& para, const TDecodeContext& ctx) {
    out += para.GetIdent();
    out += ' ';
    out += para.GetName(ctx.Language);
}

ByteView TelegramView(const TTelEntry& e) {
    return ByteView(e.Data.data(), kMaxStoredTelegram);
}

} // namespace

void AnnotateRequestParameter(std::string& out, const TCfgRec& set, const TDecodeContext& ctx,
                              ByteView data, RequestNote note) {
    switch (note) {
    case RequestNote::None:
        return;
    case RequestNote::Name:
    case RequestNote::NameValue: {
        const TParaRec* para = set.FindPara(MakeWordValue(data, 2));
        if (para == nullptr)
            return;
        out += " [";
        AppendIdentAndName(out, *para, ctx);
        if (note == RequestNote::NameValue) {
            out += '=';
            AppendValue(out, *para, ctx, TelegramValue(*para, data, 4));
        }
        out += ']';
        return;
    }
    case RequestNote::ProcessParameter: {
        const std::uint16_t w = MakeWordValue(data, 10);
        const std::uint16_t address = w & 0x7FFF;
        if (address == 0)
            return;
        const TParaRec* para = set.FindPara(address);
        if (para == nullptr)
            return;
        const bool write = (w & kProcessParameterWrite) != 0;
        out += write ? " [WR " : " [RD ";
        AppendIdentAndName(out, *para, ctx);
        if (write) {
            out += '=';
            AppendValue(out, *para, ctx, static_cast<std::int32_t>(MakeLongValue(data, 12)));
        }
        out += ']';
        return;
    }
    }
}

void AnnotateResponseValue(std::string& out, const TCfgRec& set, const TDecodeContext& ctx,
                           int position, ByteView data, ResponseNote note) {
    if (note == ResponseNote::None || position <= 0 || ctx.List == nullptr)
        return;
    const int requestPos = FindRequestForResponse(*ctx.List, position, ctx.SourceFlags);
    if (requestPos < 0)
        return;
    const ByteView request = TelegramView(*ctx.List->At(requestPos));
    std::uint16_t address = 0;
    std::size_t valuePos = 0;
    if (note == ResponseNote::ReadValue) {
        address = MakeWordValue(request, 2);
        valuePos = 2;
    } else {
        address = MakeWordValue(request, 10);
        // Only a process+parameter read answers with the parameter's value.
        if (address == 0 || address >= kProcessParameterWrite)
            return;
        valuePos = 10;
    }
    const TParaRec* para = set.FindPara(address);
    if (para == nullptr)
        return;
    const std::int32_t value = note == ResponseNote::ReadValue
                                   ? TelegramValue(*para, data, valuePos)
                                   : static_cast<std::int32_t>(MakeLongValue(data, valuePos));
    out += " [";
    AppendValue(out, *para, ctx, value);
    out += ']';
}

} // namespace protmon
