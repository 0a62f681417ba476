#pragma once

#include "model/capture_settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace protmon {

// Items of the line monitor settings dialog, in index order; the indices are what the box is sent
// and what monitor files store.
constexpr int kLineMonitorBaudItems = 14;
constexpr int kTimeStampItems = 5;
constexpr int kHandshakeItems = 4;
extern const std::array<const char*, kLineMonitorBaudItems> kLineMonitorBaudTexts;
extern const std::array<const char*, kTimeStampItems> kTimeStampTexts;
// Handshake item i is Handshake(i + 1).
extern const std::array<const char*, kHandshakeItems> kHandshakeTexts;
extern const std::array<const char*, 3> kParityTexts; // "Even", "Odd", "None"
extern const std::array<const char*, 2> kLineMonitorProtocolTexts;

// Microseconds per tick of each time-stamp resolution item.
inline constexpr std::array<int, kTimeStampItems> kTimeStampResolutionsUs = {1, 8, 128, 1024, 8192};
// Time-stamp resolution in µs per tick of the line monitor's resolution item (0..4); 0 for none.
int TimeStampResolutionUs(int timeStampIndex);
// True when `us` is one of the line monitor's resolutions.
bool IsTimeStampResolution(int us);

// Bits per second on the bus for a bus baud item (the KBaud figure of its text times 1000); 0 for
// a reserved item or none.
double LineMonitorBusBaud(int baudIndex);

// Default "End of Telegam:" time in µs for a bus baud item: five characters of ten bits, i.e.
// 1000000 / (KBaud figure * 100) * 5, rounded; the figure is the number before the item's first
// blank with the comma as decimal separator, and an item without a blank (reserved, or no item
// at all) divides by 200.
std::int32_t DefaultEndOfTelegramTime(int baudIndex);

// The end-of-telegram field as a number: its decimal integer, or the default for the bus baud
// item when the field holds none (e.g. before the dialog was first shown).
std::int32_t EndOfTelegramTime(const TLineMonitorSettings& lm);

// True when `text` is a decimal integer (blanks around it and a leading '+' allowed).
bool ParseEndOfTelegramText(std::string_view text, std::int32_t& out);

// Value byte of command 6: the time in 100 µs steps. Times beyond what one byte can carry are
// sent as the longest gap (25500 µs) instead of wrapping around to a short one.
std::uint8_t EndOfTelegramCommandValue(std::int32_t microseconds);

// The dialog's reactions, on the settings model.
// "Protocol": TRX5 sets hardware full duplex, even parity, 8 data bits; DIN66019II sets software
// half duplex, even parity, 7 data bits and recomputes the end-of-telegram time.
void SelectLineMonitorProtocol(TLineMonitorSettings& lm, int protocolIndex);
// "Baudrate:" changed: recomputes the end-of-telegram time.
void SelectLineMonitorBaud(TLineMonitorSettings& lm, int baudIndex);
// The dialog is shown: an empty end-of-telegram field gets its default.
void FillEndOfTelegramDefault(TLineMonitorSettings& lm);

} // namespace protmon
