#pragma once

#include <cstdint>
#include <string>

namespace protmon {

enum class Protocol : int { Trx5 = 0, Din66019II = 1, Raw = 2 };
enum RunningMode : int { kStopped = 0, kRunTrx5 = 1, kRunDin = 2, kRunRaw = 3 };

// SourceFlags bits.
enum SourceFlag : std::uint32_t {
    kSourceComm = 1,
    kSourcePdOut = 2,
    kSourcePdIn = 4,
    kSourceLineMonitor = 8,
};

// Handshake modes of the line monitor (command 16 values).
enum class Handshake : int {
    HardwareFullDuplex = 1,
    SoftwareHalfDuplex = 2,
    SoftwareFullDuplex = 3,
    SoftwareSingleChannel = 4
};

// Parity choices as stored in monitor files and sent to the line monitor.
enum class ParityChoice : int { Even = 0, Odd = 1, None = 2 };

// Settings of the line monitor dialog.
struct TLineMonitorSettings {
    int ProtocolIndex = 0;  // 0 "TRX5", 1 "DIN66019II"
    int BaudIndex = 5;      // bus baud item, 0..13; -1 for none
    int TimeStampIndex = 2; // 0 "1 us" .. 4 "8192 us"; -1 for none
    int DataBits = 8;       // 8 or 7
    ParityChoice Parity = ParityChoice::Even;
    Handshake HandshakeMode = Handshake::HardwareFullDuplex;
    // Text of the "End of Telegam:" field; empty until the dialog was first shown.
    std::string EndOfTelegramText;
    int ViewFlag = 0; // 0 standard view, 1 advanced view
};

// Settings of the RAW format dialog.
struct TRawFormatSettings {
    int DataBits = 8; // 8 or 7
    ParityChoice Parity = ParityChoice::Even;
};

// Capture settings edited by the window's controls and dialogs and carried by monitor files.
struct TCaptureSettings {
    Protocol Selection = Protocol::Trx5;
    // Check boxes of the control strip.
    bool Comm = false;
    bool PdOut = false;
    bool PdIn = false;
    bool Monitor = false;
    // Recorded at the last capture start; 0 before the first.
    std::uint32_t SourceFlags = 0;
    // µs per time-stamp tick; 0 until the first capture with the line monitor.
    int TimeStampResolution = 0;
    int PortIndex = -1;
    std::string PortText; // serial device path; empty means "no port"
    int BaudIndex = 5;    // 0 "1200 Baud" .. 7 "115200 Baud"
    TLineMonitorSettings LineMonitor;
    TRawFormatSettings RawFormat;
};

} // namespace protmon

namespace protmon {

// Check-box rules on the settings model. Switching an operator box on switches "Monitor" off and
// selects TRX5 (the operator speaks TRX5 and excludes the line monitor); the caller handles the
// question that leaving RAW with entries present needs. `which` is kSourceComm, kSourcePdOut or
// kSourcePdIn. While `monitorPending` (UDP mode before "Monitor" was switched on) the rule does
// not apply.
void SetOperatorBox(TCaptureSettings& s, SourceFlag which, bool on, bool monitorPending = false);
// Switching "Monitor" on clears the three operator boxes. The caller enables "Line monitor Info"
// and opens the settings dialog where that applies.
void SetMonitorBox(TCaptureSettings& s, bool on);
// Operator bits of the check boxes (kSourceComm | kSourcePdOut | kSourcePdIn).
std::uint32_t OperatorBits(const TCaptureSettings& s);

} // namespace protmon
