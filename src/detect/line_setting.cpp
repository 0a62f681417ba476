#include "detect/line_setting.h"

#include "capture/capture_link.h"
#include "model/line_monitor_settings.h"

#include <array>
#include <string>

namespace protmon {

namespace {

// Baud box items in the order they are tried: the common rates before the slow ones, whose
// windows are long.
constexpr std::array<int, 8> kDirectOrder = {5, 4, 3, 6, 7, 2, 1, 0};
// Bus baud items of the box in the order they are tried; 7 and 9 are reserved.
constexpr std::array<int, 12> kBoxOrder = {5, 4, 3, 6, 8, 10, 11, 12, 13, 2, 1, 0};
// Rate of a bus baud item in baud, read from its text ("55,5 KBaud" is 55500); 0 for the
// reserved items, which have no figure.
int BoxRate(int item) {
    const std::string text = kLineMonitorBaudTexts[static_cast<std::size_t>(item)];
    int rate = 0;
    int decimals = -1;
    for (char c : text) {
        if (c == ',') {
            decimals = 0;
        } else if (c >= '0' && c <= '9') {
            rate = rate * 10 + (c - '0');
            if (decimals >= 0)
                ++decimals;
        } else {
            break;
        }
    }
    for (int d = decimals < 0 ? 0 : decimals; d < 3; ++d)
        rate *= 10;
    return rate;
}

struct TFraming {
    int DataBits;
    char Parity;
};
// Protocol framings first, then the raw ones.
constexpr std::array<TFraming, 4> kFramings = {{{8, 'E'}, {7, 'E'}, {8, 'N'}, {8, 'O'}}};

template <typename Rate>
std::vector<TLineSetting> Sweep(const int* order, std::size_t count, Rate rateOf, bool box) {
    std::vector<TLineSetting> out;
    for (std::size_t pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < count; ++i) {
            for (std::size_t f = pass * 2; f < pass * 2 + 2; ++f) {
                TLineSetting s;
                s.Baud = rateOf(order[i]);
                s.DataBits = kFramings[f].DataBits;
                s.Parity = kFramings[f].Parity;
                s.BusBaudIndex = box ? order[i] : -1;
                out.push_back(s);
            }
        }
    }
    return out;
}

} // namespace

std::string FramingText(const TLineSetting& s) {
    return std::to_string(s.DataBits) + s.Parity + "1";
}

const char* ProtocolText(DetectProtocol p) {
    switch (p) {
    case DetectProtocol::Trx5:
        return "TRX5";
    case DetectProtocol::Din:
        return "DIN66019II";
    case DetectProtocol::Raw:
        break;
    }
    return "RAW";
}

std::vector<DetectProtocol> ProtocolsAt(const TLineSetting& s) {
    if (s.Parity == 'E' && s.DataBits == 8)
        return {DetectProtocol::Trx5, DetectProtocol::Raw};
    if (s.Parity == 'E' && s.DataBits == 7)
        return {DetectProtocol::Din, DetectProtocol::Raw};
    return {DetectProtocol::Raw};
}

std::vector<TLineSetting> DirectSettings() {
    return Sweep(kDirectOrder.data(), kDirectOrder.size(), BaudBoxRate, false);
}

std::vector<TLineSetting> BoxSettings() {
    return Sweep(kBoxOrder.data(), kBoxOrder.size(), BoxRate, true);
}

void ApplyBoxSetting(TLineMonitorSettings& lm, const TLineSetting& s) {
    SelectLineMonitorProtocol(lm, s.DataBits == 7 ? 1 : 0);
    SelectLineMonitorBaud(lm, s.BusBaudIndex);
    lm.Parity = ParityOf(s);
}

ParityChoice ParityOf(const TLineSetting& s) {
    return s.Parity == 'O'   ? ParityChoice::Odd
           : s.Parity == 'N' ? ParityChoice::None
                             : ParityChoice::Even;
}

int BaudBoxIndexOf(int baud) {
    for (std::size_t i = 0; i < kDirectOrder.size(); ++i) {
        if (BaudBoxRate(static_cast<int>(i)) == baud)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace protmon
