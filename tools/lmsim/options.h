#pragma once

#include "uart_model.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace protmon::lmsim {

enum class Transport { None, Udp, Pty };
enum class BusProtocol { Trx5, Din, Raw };

// Everything the command line can set; one struct so the simulator's behaviour is visible at once.
struct LmsimOptions {
    Transport transport = Transport::None;
    int udpPort = 0;           // 0: the system picks one; the chosen port is printed
    bool operatorMode = false; // play the fieldbus operator instead of the line monitor
    std::uint32_t linkBaud = 38400;
    std::set<int> refusedCodes; // command codes answered with a non-zero status
    bool silent = false;
    std::uint32_t rate = 0; // frames per second, 0 = as fast as the transport allows
    std::optional<std::uint64_t> count;
    std::optional<std::uint64_t> overrunAfter;
    std::uint64_t seed = 1;
    std::string busBytesFile;
    std::string paramAddressFile;
    std::string versionText = "LMSIM 1.0.0";
    int framesPerDatagram = 1;
    int errorPermille = 30; // share of answers that carry a drive error code
    int badBccPermille = 5; // share of telegrams with a damaged block check
    bool plant = false;     // the demo plant instead of random traffic
    bool bus = false;       // a plain bus on the pty: no box, no operator framing
    std::optional<BusProtocol> protocol;
    std::optional<std::uint32_t> busBaud;
    std::string busFramingText;
    bool lightTraffic = false;
    std::string statsFile; // receive counters of the modelled UART, rewritten as they change
    // The line the plant drives; nothing when no bus option was given (a box then forwards what
    // the monitor configures, as it always did).
    std::optional<UartFraming> plantLine;
    bool showHelp = false;
};

// Parses argv; on failure returns nothing and puts the reason into error.
std::optional<LmsimOptions> ParseLmsimOptions(int argc, char** argv, std::string& error);

const char* LmsimHelpText();

} // namespace protmon::lmsim
