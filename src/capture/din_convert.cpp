#include "capture/din_convert.h"

#include "capture/din_forms.h"
#include "capture/trx5_length.h"
#include "model/status_entry.h"

#include <algorithm>

namespace protmon {

namespace {

constexpr std::uint8_t kNoAddress = 255;
constexpr int kMaxCount = 24;
constexpr int kLastConvertibleService = 47; // responses copy services below 48 only
constexpr std::uint8_t kLastHexLetter = 'F';

// Writes into Data from index 2 on; every write and read is checked, and any fault makes the
// frame an "Illegal Frame".
class TFieldWriter {
public:
    explicit TFieldWriter(TTelEntry& e) : e_(e) {}
    bool Put(int value) {
        if (value < 0 || pos_ >= kMaxStoredTelegram)
            return ok_ = false;
        e_.Data[pos_++] = static_cast<std::uint8_t>(value);
        return true;
    }
    // Closes the telegram with its BCC; false if anything failed.
    bool Finish() {
        if (!ok_ || pos_ >= kMaxStoredTelegram)
            return false;
        e_.Data[pos_] = Trx5Bcc(ByteView(e_.Data.data(), pos_), pos_);
        return true;
    }
    bool Ok() const { return ok_; }

private:
    TTelEntry& e_;
    std::size_t pos_ = 2;
    bool ok_ = true;
};

int HexByte(ByteView chars, std::size_t at) {
    if (!chars.has(at, 2))
        return -1;
    const int hi = DinHexValue(chars.at(at));
    const int lo = DinHexValue(chars.at(at + 1));
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

// Parses the fields of `form` from chars[start] up to (not including) chars[end].
bool ParseFields(const char* fields, ByteView chars, std::size_t start, std::size_t end,
                 TFieldWriter& out) {
    const ByteView area = chars.sub(0, end);
    std::size_t at = start;
    int count = 0;
    for (const char* f = fields; *f != '\0'; ++f) {
        switch (*f) {
        case 'h':
            out.Put(HexByte(area, at));
            at += 2;
            break;
        case 'd':
            out.Put(area.has(at) ? DinHexValue(area.at(at)) : -1);
            at += 1;
            break;
        case 'c':
            count = std::min(HexByte(area, at), kMaxCount);
            out.Put(count);
            at += 2;
            break;
        case 't':
            out.Put(area.has(at) ? area.at(at) : -1);
            at += 1;
            break;
        case 'T':
            for (int i = 0; i < count; ++i, ++at)
                out.Put(area.has(at) ? area.at(at) : -1);
            break;
        default:
            return false;
        }
    }
    return out.Ok() && at <= end;
}

void Illegal(ByteView frame, TTelEntry& e) {
    WriteStatusEntry(e, kStatusIllegalFrame, static_cast<int>(frame.size()), frame);
}

// Address byte of an optional address digit: 255 without one, -1 for an invalid one.
int OptionalAddress(ByteView frame, std::size_t shortLength) {
    if (frame.size() == shortLength)
        return kNoAddress;
    return IsDinAddressDigit(frame.at(0)) ? DinHexValue(frame.at(0)) * 16 : -1;
}

// The service number a response takes over from the previous telegram, else service 1.
int ServiceByPrevious(TDinPrevious previous) {
    const int service = previous.Service & 0x3F;
    return previous.IsTelegram() && service <= kLastConvertibleService ? service : 1;
}

void FinishBcc(TTelEntry& e, std::size_t length) {
    e.Data[length - 1] = Trx5Bcc(ByteView(e.Data.data(), length - 1), length - 1);
}

void ConvertSelect(ByteView frame, TTelEntry& e) {
    const int slave = HexByte(frame, 1);
    if (slave < 0)
        return Illegal(frame, e);
    e.Data[0] = 0;
    e.Data[1] = kStatusSelect;
    e.Data[2] = static_cast<std::uint8_t>(slave);
}

// Status digit e with EOT: a read response of the previous service carrying the status in front
// of its BCC. Services without a read-response length use the length of service 1, so the
// status never lands outside the converted telegram.
void ConvertEnd(ByteView frame, TDinPrevious previous, TTelEntry& e) {
    const int address = OptionalAddress(frame, 2);
    const int status = DinHexValue(frame.at(frame.size() - 2));
    if (address < 0 || status < 0)
        return Illegal(frame, e);
    const int service = ServiceByPrevious(previous);
    const std::uint8_t serviceByte = static_cast<std::uint8_t>(kReadResponse | service);
    std::size_t length = Trx5LengthRule(serviceByte).Base;
    if (length < 4)
        length = Trx5LengthRule(kReadResponse | 1).Base;
    e.Data[0] = static_cast<std::uint8_t>(address);
    e.Data[1] = serviceByte;
    e.Data[length - 2] = static_cast<std::uint8_t>(status);
    FinishBcc(e, length);
}

void ConvertNegativeAck(ByteView frame, TDinPrevious previous, TTelEntry& e) {
    const int address = OptionalAddress(frame, 2);
    const int error = DinHexValue(frame.at(frame.size() - 2));
    if (address < 0 || error < 0)
        return Illegal(frame, e);
    e.Data[0] = static_cast<std::uint8_t>(address);
    e.Data[1] = static_cast<std::uint8_t>(kWriteResponse | ServiceByPrevious(previous));
    e.Data[2] = static_cast<std::uint8_t>(error);
    FinishBcc(e, 4);
}

// An ACK answers a write; after a read request of service 32 or 33 it is that read's response.
void ConvertAcknowledge(ByteView frame, TDinPrevious previous, TTelEntry& e) {
    const int address = OptionalAddress(frame, 1);
    if (address < 0)
        return Illegal(frame, e);
    std::uint8_t serviceByte =
        static_cast<std::uint8_t>(kWriteResponse | ServiceByPrevious(previous));
    if (previous.IsTelegram() && (previous.Service == 0x20 || previous.Service == 0x21))
        serviceByte = static_cast<std::uint8_t>(kReadResponse | previous.Service);
    e.Data[0] = static_cast<std::uint8_t>(address);
    e.Data[1] = serviceByte;
    e.Data[2] = 0;
    FinishBcc(e, 4);
}

void ConvertShortRequest(ByteView frame, TTelEntry& e) {
    const int hi = HexByte(frame, 0);
    const int lo = HexByte(frame, 2);
    if (hi < 0 || lo < 0)
        return Illegal(frame, e);
    e.Data[0] = kNoAddress;
    e.Data[1] = kReadRequest | 1;
    e.Data[2] = static_cast<std::uint8_t>(hi);
    e.Data[3] = static_cast<std::uint8_t>(lo);
    e.Data[4] = 1;
    FinishBcc(e, 6);
}

bool CheckCharacterOk(ByteView covered, std::uint8_t sent) {
    return DinBlockCheck(covered) == sent;
}

// Letter, address digit and fields of a form into Data; false when it does not fit.
bool ConvertLettered(ByteView frame, const TDinForm* form, std::size_t letterAt,
                     std::size_t fieldsEnd, TTelEntry& e) {
    const std::uint8_t address = frame.at(letterAt + 1);
    if (form == nullptr || !IsDinAddressDigit(address))
        return false;
    e.Data[0] = static_cast<std::uint8_t>(DinHexValue(address) * 16);
    e.Data[1] = static_cast<std::uint8_t>(form->ClassBits | DinServiceOf(frame.at(letterAt)));
    TFieldWriter out(e);
    if (!ParseFields(form->Fields, frame, letterAt + 2, fieldsEnd, out))
        return false;
    if (form->ClassBits == kReadResponse)
        out.Put(0);
    return out.Finish();
}

void ConvertRequest(ByteView frame, TTelEntry& e) {
    const std::size_t n = frame.size();
    if (!CheckCharacterOk(frame.sub(0, n - 1), frame.at(n - 1)))
        return WriteStatusEntry(e, kStatusBcc, static_cast<int>(n), frame);
    const TDinForm* form = FindRequestForm(frame.at(0), static_cast<int>(n));
    if (!ConvertLettered(frame, form, 0, n - 2, e))
        Illegal(frame, e);
}

// Parameter number and a 16-bit value without letter: a write of service 1, or the response
// when it follows a read request.
void ConvertShortDataBlock(ByteView frame, TDinPrevious previous, TTelEntry& e) {
    const int p[2] = {HexByte(frame, 1), HexByte(frame, 3)};
    const int v[2] = {HexByte(frame, 5), HexByte(frame, 7)};
    if (frame.size() != 11 || p[0] < 0 || p[1] < 0 || v[0] < 0 || v[1] < 0)
        return Illegal(frame, e);
    const std::uint8_t sign = (v[0] & 0x80) != 0 ? 0xFF : 0x00;
    e.Data[0] = kNoAddress;
    e.Data[1] = kWriteRequest | 1;
    e.Data[2] = static_cast<std::uint8_t>(p[0]);
    e.Data[3] = static_cast<std::uint8_t>(p[1]);
    e.Data[4] = sign;
    e.Data[5] = sign;
    e.Data[6] = static_cast<std::uint8_t>(v[0]);
    e.Data[7] = static_cast<std::uint8_t>(v[1]);
    e.Data[8] = 1;
    FinishBcc(e, 10);
    if (!previous.IsReadRequest())
        return;
    e.Data[1] = kReadResponse | 1;
    e.Data[2] = sign;
    e.Data[3] = sign;
    e.Data[4] = static_cast<std::uint8_t>(v[0]);
    e.Data[5] = static_cast<std::uint8_t>(v[1]);
    e.Data[6] = 0;
    FinishBcc(e, 8);
}

void ConvertDataBlock(ByteView frame, TDinPrevious previous, TTelEntry& e) {
    const std::size_t n = frame.size();
    if (!CheckCharacterOk(frame.sub(1, n - 2), frame.at(n - 1)))
        return WriteStatusEntry(e, kStatusBcc, static_cast<int>(n), frame);
    const std::uint8_t letter = frame.at(1);
    if (letter <= kLastHexLetter)
        return ConvertShortDataBlock(frame, previous, e);
    const TDinForm* form = FindDataBlockForm(letter, static_cast<int>(n), previous.IsReadRequest());
    if (!ConvertLettered(frame, form, 1, n - 2, e))
        Illegal(frame, e);
}

} // namespace

void ConvertDinFrame(ByteView frame, DinFrameForm form, TDinPrevious previous, TTelEntry& e) {
    switch (form) {
    case DinFrameForm::Select:
        return ConvertSelect(frame, e);
    case DinFrameForm::End:
        return ConvertEnd(frame, previous, e);
    case DinFrameForm::NegativeAck:
        return ConvertNegativeAck(frame, previous, e);
    case DinFrameForm::Acknowledge:
        return ConvertAcknowledge(frame, previous, e);
    case DinFrameForm::ShortRequest:
        return ConvertShortRequest(frame, e);
    case DinFrameForm::Request:
        return ConvertRequest(frame, e);
    case DinFrameForm::DataBlock:
        return ConvertDataBlock(frame, previous, e);
    }
}

} // namespace protmon
