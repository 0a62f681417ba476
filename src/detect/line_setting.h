#pragma once

#include "model/capture_settings.h"

#include <string>
#include <vector>

namespace protmon {

// What a detection can name as the line's protocol.
enum class DetectProtocol { Trx5, Din, Raw };

// One way to listen: a rate and a character framing (always one stop bit). Behind a line
// monitor box the rate is one of the box's bus baud items.
struct TLineSetting {
    int Baud = 0;
    int DataBits = 8;
    char Parity = 'E';     // 'E', 'O' or 'N'
    int BusBaudIndex = -1; // the box's "Baudrate:" item; -1 when listening directly
    bool operator==(const TLineSetting&) const = default;
};

// "8E1", "7E1", "8N1", "8O1".
std::string FramingText(const TLineSetting& s);
// "TRX5", "DIN66019II", "RAW" as the protocol buttons name them.
const char* ProtocolText(DetectProtocol p);
// The protocols a setting is a candidate for: TRX5 runs at 8E1, DIN66019II at 7E1, raw bytes at
// any of the four framings.
std::vector<DetectProtocol> ProtocolsAt(const TLineSetting& s);

// The settings to try on a serial port, most promising first: the two protocol framings at every
// rate of the baud box (the usual rates first), then the other raw framings.
std::vector<TLineSetting> DirectSettings();
// The same behind a line monitor box, at its bus baud items (the reserved ones left out).
std::vector<TLineSetting> BoxSettings();

// The line monitor settings for a box setting: the dialog's protocol preset for its data bits
// (TRX5 for 8, DIN66019II for 7), then its bus baud item (with that rate's end-of-telegram time)
// and parity.
void ApplyBoxSetting(TLineMonitorSettings& lm, const TLineSetting& s);
// The parity choice of the dialogs and files for a setting's parity letter.
ParityChoice ParityOf(const TLineSetting& s);
// The baud box item of a rate; -1 when the box has none.
int BaudBoxIndexOf(int baud);

} // namespace protmon
