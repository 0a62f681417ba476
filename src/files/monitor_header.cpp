#include "files/monitor_header.h"

#include "model/line_monitor_settings.h"

namespace protmon {

namespace {

constexpr const char* kFieldNames[kHeaderFieldCount] = {
    "FormatMarker", "TimeStampResolution", "Protocol",        "SourceFlags",   "PortIndex",
    "BaudIndex",    "MonitorBaud",         "MonitorDataBits", "MonitorParity", "TimeStampIndex",
    "Handshake",    "EndOfTelegramTime",   "RawDataBits",     "RawParity",     "EntryCount",
};

constexpr int kBaudItems = 8; // "1200 Baud" .. "115200 Baud"

ParityChoice ParityFromFile(std::int32_t v) {
    if (v == 1)
        return ParityChoice::Odd;
    if (v == 2)
        return ParityChoice::None;
    return ParityChoice::Even;
}

Handshake HandshakeFromFile(std::int32_t v) {
    switch (v) {
    case 2:
        return Handshake::SoftwareHalfDuplex;
    case 3:
        return Handshake::SoftwareFullDuplex;
    case 4:
        return Handshake::SoftwareSingleChannel;
    default:
        return Handshake::HardwareFullDuplex;
    }
}

void ApplySourceFlags(TCaptureSettings& s, std::int32_t value) {
    const auto flags = static_cast<std::uint32_t>(value);
    s.SourceFlags = flags;
    SetOperatorBox(s, kSourceComm, (flags & kSourceComm) != 0);
    SetOperatorBox(s, kSourcePdOut, (flags & kSourcePdOut) != 0);
    SetOperatorBox(s, kSourcePdIn, (flags & kSourcePdIn) != 0);
    SetMonitorBox(s, (flags & kSourceLineMonitor) != 0);
}

} // namespace

const char* HeaderFieldName(int field) {
    if (field < 0 || field >= kHeaderFieldCount)
        return "";
    return kFieldNames[field];
}

std::int32_t PackMonitorBaud(int baudIndex, int viewFlag) {
    // Computed in unsigned arithmetic: the sum wraps exactly as a 32-bit integer would.
    const std::uint32_t sum =
        static_cast<std::uint32_t>(baudIndex) + (static_cast<std::uint32_t>(viewFlag) << 16);
    return static_cast<std::int32_t>(sum);
}

void UnpackMonitorBaud(std::int32_t value, int& baudIndex, int& viewFlag) {
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint32_t low = v & 0xFFFF;
    std::uint32_t high = v >> 16;
    // "No baud selected" (-1) borrowed one from the view flag when the sum was formed.
    if (low == 0xFFFF)
        high = (high + 1) & 0xFFFF;
    baudIndex =
        low < static_cast<std::uint32_t>(kLineMonitorBaudItems) ? static_cast<int>(low) : -1;
    viewFlag = high != 0 ? 1 : 0;
}

std::int32_t EndOfTelegramTimeForFile(const TLineMonitorSettings& lm) {
    return EndOfTelegramTime(lm);
}

THeaderValues MakeMonitorHeader(const TCaptureSettings& s, std::int32_t entryCount) {
    const TLineMonitorSettings& lm = s.LineMonitor;
    THeaderValues h{};
    h[kFormatMarker] = kFormatMarkerV1;
    h[kTimeStampResolution] = s.TimeStampResolution;
    h[kProtocol] = static_cast<std::int32_t>(s.Selection);
    h[kSourceFlags] = static_cast<std::int32_t>(s.SourceFlags);
    h[kPortIndex] = s.PortIndex;
    h[kBaudIndex] = s.BaudIndex;
    h[kMonitorBaud] = PackMonitorBaud(lm.BaudIndex, lm.ViewFlag);
    h[kMonitorDataBits] = lm.DataBits == 8 ? 8 : 7;
    h[kMonitorParity] = static_cast<std::int32_t>(lm.Parity);
    h[kTimeStampIndex] = lm.TimeStampIndex;
    h[kHandshake] = static_cast<std::int32_t>(lm.HandshakeMode);
    h[kEndOfTelegramTime] = EndOfTelegramTimeForFile(lm);
    h[kRawDataBits] = s.RawFormat.DataBits == 8 ? 8 : 7;
    h[kRawParity] = static_cast<std::int32_t>(s.RawFormat.Parity);
    h[kEntryCount] = entryCount;
    return h;
}

void ApplyHeaderField(TCaptureSettings& s, HeaderField field, std::int32_t value) {
    TLineMonitorSettings& lm = s.LineMonitor;
    switch (field) {
    case kTimeStampResolution:
        s.TimeStampResolution = value;
        break;
    case kProtocol:
        // A selection the program does not know shows as TRX5, the first radio button.
        s.Selection = value == 1   ? Protocol::Din66019II
                      : value == 2 ? Protocol::Raw
                                   : Protocol::Trx5;
        break;
    case kSourceFlags:
        ApplySourceFlags(s, value);
        break;
    case kPortIndex:
        s.PortIndex = value < 0 ? -1 : value;
        break;
    case kBaudIndex:
        // The baud box always has a selection: an index it does not hold keeps the current one.
        if (value >= 0 && value < kBaudItems)
            s.BaudIndex = value;
        break;
    case kMonitorBaud:
        UnpackMonitorBaud(value, lm.BaudIndex, lm.ViewFlag);
        break;
    case kMonitorDataBits:
        lm.DataBits = value == 8 ? 8 : 7;
        break;
    case kMonitorParity:
        lm.Parity = ParityFromFile(value);
        break;
    case kTimeStampIndex:
        lm.TimeStampIndex = value >= 0 && value < kTimeStampItems ? value : -1;
        break;
    case kHandshake:
        lm.HandshakeMode = HandshakeFromFile(value);
        break;
    case kEndOfTelegramTime:
        lm.EndOfTelegramText = std::to_string(value);
        break;
    case kRawDataBits:
        s.RawFormat.DataBits = value == 8 ? 8 : 7;
        break;
    case kRawParity:
        s.RawFormat.Parity = ParityFromFile(value);
        break;
    case kFormatMarker:
    case kEntryCount:
    case kHeaderFieldCount:
        break;
    }
}

} // namespace protmon
