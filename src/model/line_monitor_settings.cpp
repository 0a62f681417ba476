#include "model/line_monitor_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace protmon {

const std::array<const char*, kLineMonitorBaudItems> kLineMonitorBaudTexts = {
    "1,2 KBaud",  "2,4 KBaud", "4,8 KBaud",  "9,6 KBaud", "19,2 KBaud", "38,4 KBaud", "55,5 KBaud",
    "(reserved)", "100 KBaud", "(reserved)", "125 KBaud", "250 KBaud",  "500 KBaud",  "1000 KBaud"};
const std::array<const char*, kTimeStampItems> kTimeStampTexts = {"1 us", "8 us", "128 us",
                                                                  "1024 us", "8192 us"};
const std::array<const char*, kHandshakeItems> kHandshakeTexts = {
    "Hardware, full duplex ", "Software, half duplex ", "Software, full duplex",
    "Software, single channel"};
const std::array<const char*, 3> kParityTexts = {"Even", "Odd", "None"};
const std::array<const char*, 2> kLineMonitorProtocolTexts = {"TRX5", "DIN66019II"};

int TimeStampResolutionUs(int timeStampIndex) {
    if (timeStampIndex < 0 || timeStampIndex >= kTimeStampItems)
        return 0;
    return kTimeStampResolutionsUs[static_cast<std::size_t>(timeStampIndex)];
}

bool IsTimeStampResolution(int us) {
    return std::find(kTimeStampResolutionsUs.begin(), kTimeStampResolutionsUs.end(), us) !=
           kTimeStampResolutionsUs.end();
}

namespace {

// The KBaud figure before the first blank of an item, comma as decimal separator; 0 when the
// item has no blank.
double KBaudFigure(std::string_view item) {
    const auto blank = item.find(' ');
    if (blank == std::string_view::npos)
        return 0;
    double value = 0;
    double scale = 0; // 0 while in the integer part
    for (char c : item.substr(0, blank)) {
        if (c == ',') {
            scale = 1;
        } else if (c >= '0' && c <= '9') {
            if (scale == 0) {
                value = value * 10 + (c - '0');
            } else {
                scale /= 10;
                value += (c - '0') * scale;
            }
        }
    }
    return value;
}

} // namespace

double LineMonitorBusBaud(int baudIndex) {
    if (baudIndex < 0 || baudIndex >= kLineMonitorBaudItems)
        return 0;
    return KBaudFigure(kLineMonitorBaudTexts[static_cast<std::size_t>(baudIndex)]) * 1000;
}

std::int32_t DefaultEndOfTelegramTime(int baudIndex) {
    double divisor = 200;
    if (baudIndex >= 0 && baudIndex < kLineMonitorBaudItems) {
        const double figure =
            KBaudFigure(kLineMonitorBaudTexts[static_cast<std::size_t>(baudIndex)]);
        if (figure > 0)
            divisor = figure * 100;
    }
    return static_cast<std::int32_t>(std::lround(1000000.0 / divisor * 5));
}

bool ParseEndOfTelegramText(std::string_view text, std::int32_t& out) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

std::int32_t EndOfTelegramTime(const TLineMonitorSettings& lm) {
    std::int32_t value = 0;
    if (ParseEndOfTelegramText(lm.EndOfTelegramText, value))
        return value;
    return DefaultEndOfTelegramTime(lm.BaudIndex);
}

std::uint8_t EndOfTelegramCommandValue(std::int32_t microseconds) {
    return static_cast<std::uint8_t>(std::clamp(microseconds / 100, 0, 255));
}

void SelectLineMonitorProtocol(TLineMonitorSettings& lm, int protocolIndex) {
    lm.ProtocolIndex = protocolIndex == 1 ? 1 : 0;
    lm.Parity = ParityChoice::Even;
    if (lm.ProtocolIndex == 0) {
        lm.HandshakeMode = Handshake::HardwareFullDuplex;
        lm.DataBits = 8;
        return;
    }
    lm.HandshakeMode = Handshake::SoftwareHalfDuplex;
    lm.DataBits = 7;
    lm.EndOfTelegramText = std::to_string(DefaultEndOfTelegramTime(lm.BaudIndex));
}

void SelectLineMonitorBaud(TLineMonitorSettings& lm, int baudIndex) {
    lm.BaudIndex = baudIndex;
    lm.EndOfTelegramText = std::to_string(DefaultEndOfTelegramTime(baudIndex));
}

void FillEndOfTelegramDefault(TLineMonitorSettings& lm) {
    if (lm.EndOfTelegramText.empty())
        lm.EndOfTelegramText = std::to_string(DefaultEndOfTelegramTime(lm.BaudIndex));
}

} // namespace protmon
