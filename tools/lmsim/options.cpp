#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace protmon::lmsim {

namespace {

const char kHelp[] =
    R"(Usage: lmsim (--udp PORT | --pty) [OPTIONS]
       lmsim --pty --bus [--protocol trx5|din|raw] [--bus-baud N]
             [--bus-framing 8E1|7E1|8N1|8O1] [--traffic busy|light] [OPTIONS]

Plays a line monitor box (or, with --operator, a fieldbus operator, or with
--bus a plain drive line) so the monitor can capture a live line without
hardware.

Transport (one is required):
  --udp PORT              serve on 127.0.0.1:PORT (0: any free port); replies go
                          to the sender of each command, data frames to the last
                          peer. The bound port is printed as the first line.
  --pty                   create a pseudo-terminal and print its slave path as
                          the first line; serial mode with link baud switching.

Box behaviour:
  --operator              play the fieldbus operator: answer its monitor command
                          and copy TRX5 telegrams by the selection bits
                          (1 Comm, 2 PD Out, 4 PD In) without line-monitor framing
  --link-baud N           host link rate at start (default 38400); on a pty the
                          box hears and answers only at this rate, command 1
                          changes it
  --refuse CODE           answer command CODE (decimal or 0x hex) with a non-zero
                          status; may be repeated. With --operator any CODE makes
                          the operator answer its monitor command with an error
  --silent                never answer anything
  --version-text TEXT     the 11-character version text (default "LMSIM 1.0.0")

Streaming (after command 16 with a mode other than 0):
  Generated traffic is TRX5, or DIN66019II characters while the monitor has set
  7 data bits (command 3); in the single-line handshake modes (2 and 4) every
  frame is on channel A, otherwise requests are on A and answers on B.
  --rate N                frames per second (default 0: as fast as possible)
  --count N               stop streaming after N frames
  --overrun-after N       after N frames send a receive-buffer overrun report
                          (channel byte 0x81) and stop streaming
  --seed N                seed of the traffic generator (default 1)
  --bus-bytes FILE        play the bytes of FILE, cut into telegrams by the TRX5
                          length rule (unknown bytes in chunks of up to 16)
                          instead of generated traffic; replayed at every start
  --param-addresses FILE  parameter addresses for generated traffic, one per
                          line, decimal or 0x hex ('#' starts a comment)
  --error-permille N      share of answers carrying a drive error (default 30)
  --bad-bcc-permille N    share of telegrams with a bad block check (default 5)
  --frames-per-datagram N UDP only: data frames packed into one datagram (default 1)
  --plant                 play the demo plant below instead of random traffic

The plant (--plant; with 7 data bits the DIN66019II traffic above plays):
  A master polls drives 01 to 04 every 200 ms with parameter reads of service 0
  from the sample description set Para0001: output frequency (0x0080), output
  current (0x0084) and status word (0x0100) every cycle, heatsink temperature
  (0x0087) every fifth. Every 8 to 20 s it writes each drive a new frequency
  setpoint (0x0180, 0 to 50 Hz); the drive ramps its output frequency there
  (2 to 8 Hz/s), the current follows the frequency with noise and a step while
  accelerating, the heatsink temperature drifts with the current (60 s lag),
  and the status word shows ready, run, direction, warning and the ramp state.
  Answer delays from the end of the request: 01 0.3-0.7 ms, 02 1.0-2.2 ms
  (now and then 3-4.5 ms), 04 0.6-1.4 ms (one in seven 2.5-4 ms), and the
  slow drive 03 13-28 ms; the time stamps add the answer's own bus time.
  Now and then a drive stays silent (the master gives up after 50 ms), an
  answer has a bad block check (the master asks once more), or the monitor
  sees a request with a bad block check that the drive heard and answered (an
  answer without its request). Drive 04 refuses one setpoint write in four
  (error 6); the master repeats it a second later.
  Frames go out when the bus time of their time stamps is due, so stamps and
  wall clock agree; --rate N sends N frames a second instead. The plant's
  clock assumes 38,400 Bd; the stamps follow the rate the monitor sets.
  --seed and --count apply; --param-addresses, --error-permille and
  --bad-bcc-permille do not.

The bus (--bus, and the plant behind a box):
  --bus                   play a plain bus on the pty: the drive line's own
                          bytes, no box or operator framing (needs --pty)
  --protocol P            trx5 (default; TRX5 request/response pairs, or the
                          demo plant with --plant), din (DIN66019II telegrams)
                          or raw (bursts of random bytes; --bus-bytes FILE
                          plays a file's bytes instead, for any protocol)
  --bus-baud N            the bus rate (default 38400)
  --bus-framing F         8E1, 7E1, 8N1, 8O1 (data bits 5-8, parity N E O M S,
                          stop bits 1-2); default 8E1 for trx5, 7E1 for din,
                          8N1 for raw
  --traffic busy|light    busy (default): the generators' gaps, scaled from
                          38400 Bd to the bus rate, so the line is mostly in
                          use; light: the master also pauses 100 ms or 40
                          character times, whichever is longer, before each
                          request
  --stats FILE            keep the modelled UART's receive counters in FILE
                          (rewritten as they change; also printed on stderr
                          at exit): "rx", "frame", "parity", "brk", "overrun"
                          and "setting" lines
  --seed and --count apply (the line goes silent after N telegrams), and
  --error-permille and --bad-bcc-permille to trx5 and din.
  The bus runs from the start of lmsim whether anybody listens or not; each
  character is delivered when its stop bit has passed on the bus (bit time =
  1 / baud, character = start + data + parity + stop bits), in batches of
  about 2 ms. Bytes the program leaves unread for a second are discarded, as
  a closed port receives nothing.

The receiver model (--bus):
  Before each delivery lmsim reads the termios of the pty's slave side: its
  rate, CSIZE, PARENB, PARODD, CMSPAR and the input flags. When they match the
  bus, the bytes arrive unchanged. Otherwise lmsim builds the line level (mark
  while idle, start bit, data LSB first, parity, stop bits, idle gaps between
  telegrams) and samples it as a UART at the program's setting does: a
  falling edge starts a character, the start bit is checked in its middle (a
  glitch is no start), data, parity and the first stop bit are sampled in the
  middle of their bit times. A stop bit read as space is a framing error and
  is taken as the next start bit; all bits space is a break, after which the
  receiver waits for mark. What arrives is what a serial driver and n_tty hand
  the program: with INPCK off (as the monitor sets its port) characters with
  errors arrive as sampled; with INPCK they arrive as 0x00, dropped under
  IGNPAR, or as 0xFF 0x00 c under PARMRK (which also doubles a received 0xFF);
  a break is 0x00 (0xFF 0x00 0x00 under PARMRK, nothing under IGNBRK or
  BRKINT). The counters count every character as the driver does (a pty has
  no TIOCGICOUNT): see --stats. Some kernels (Linux 6 among them) force CS8
  and clear PARENB on a pty, so data bits and parity enable do not show: lmsim
  notices this at start and then takes them from the bus, and only odd
  (PARODD), mark or space parity (CMSPAR) and the rate come from the program.

Behind a box (--udp or --pty without --bus, with any of the bus options):
  The plant drives the bus given by --protocol, --bus-baud and --bus-framing.
  The box forwards each telegram unchanged only while the bus rate (command
  2), data bits (3) and parity (4) the monitor configured match the plant's;
  otherwise its UART, at the configured setting, samples the plant's line as
  above. The frame has no error status, so the box drops the characters its
  UART flags (parity and framing errors, breaks), forwards the rest as
  garbage, and sends no frame for a telegram of which nothing is left. Without these options the box forwards whatever it
  is configured for, as before.

  --help                  show this text
)";

bool ParseNumber(std::string_view text, std::uint64_t& value) {
    if (text.empty())
        return false;
    const std::string s(text);
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(s.c_str(), &end, 0);
    if (errno != 0 || end == s.c_str() || *end != '\0' || s[0] == '-')
        return false;
    value = v;
    return true;
}

class ArgReader {
public:
    ArgReader(int argc, char** argv) : argc_(argc), argv_(argv) {}
    bool More() const { return index_ < argc_; }
    std::string_view Next() { return argv_[index_++]; }
    bool Value(std::string_view option, std::string& out, std::string& error) {
        if (!More()) {
            error = std::string(option) + " needs a value";
            return false;
        }
        out = argv_[index_++];
        return true;
    }
    bool Number(std::string_view option, std::uint64_t max, std::uint64_t& out,
                std::string& error) {
        std::string text;
        if (!Value(option, text, error))
            return false;
        if (!ParseNumber(text, out) || out > max) {
            error = std::string(option) + ": invalid number '" + text + "'";
            return false;
        }
        return true;
    }

private:
    int argc_;
    char** argv_;
    int index_ = 1;
};

bool ParseStreamingOption(std::string_view arg, ArgReader& args, LmsimOptions& o,
                          std::string& error);
bool ParseBusOption(std::string_view arg, ArgReader& args, LmsimOptions& o, std::string& error);

// Transport and box behaviour.
bool ParseOne(std::string_view arg, ArgReader& args, LmsimOptions& o, std::string& error) {
    std::uint64_t n = 0;
    if (arg == "--help" || arg == "-h") {
        o.showHelp = true;
    } else if (arg == "--udp") {
        if (!args.Number(arg, 65535, n, error))
            return false;
        if (o.transport == Transport::Pty) {
            error = "--udp and --pty exclude each other";
            return false;
        }
        o.transport = Transport::Udp;
        o.udpPort = static_cast<int>(n);
    } else if (arg == "--pty") {
        if (o.transport == Transport::Udp) {
            error = "--udp and --pty exclude each other";
            return false;
        }
        o.transport = Transport::Pty;
    } else if (arg == "--operator") {
        o.operatorMode = true;
    } else if (arg == "--link-baud") {
        if (!args.Number(arg, 4000000, n, error))
            return false;
        o.linkBaud = static_cast<std::uint32_t>(n);
    } else if (arg == "--refuse") {
        if (!args.Number(arg, 255, n, error))
            return false;
        o.refusedCodes.insert(static_cast<int>(n));
    } else if (arg == "--silent") {
        o.silent = true;
    } else if (arg == "--version-text") {
        if (!args.Value(arg, o.versionText, error))
            return false;
    } else {
        return ParseStreamingOption(arg, args, o, error);
    }
    return true;
}

bool ParseBusOption(std::string_view arg, ArgReader& args, LmsimOptions& o, std::string& error) {
    std::uint64_t n = 0;
    std::string text;
    if (arg == "--bus") {
        o.bus = true;
    } else if (arg == "--protocol") {
        if (!args.Value(arg, text, error))
            return false;
        if (text == "trx5")
            o.protocol = BusProtocol::Trx5;
        else if (text == "din")
            o.protocol = BusProtocol::Din;
        else if (text == "raw")
            o.protocol = BusProtocol::Raw;
        else {
            error = "--protocol: trx5, din or raw";
            return false;
        }
    } else if (arg == "--bus-baud") {
        if (!args.Number(arg, 4000000, n, error))
            return false;
        if (n < 50) {
            error = "--bus-baud: at least 50";
            return false;
        }
        o.busBaud = static_cast<std::uint32_t>(n);
    } else if (arg == "--bus-framing") {
        if (!args.Value(arg, o.busFramingText, error))
            return false;
    } else if (arg == "--traffic") {
        if (!args.Value(arg, text, error))
            return false;
        if (text != "busy" && text != "light") {
            error = "--traffic: busy or light";
            return false;
        }
        o.lightTraffic = text == "light";
    } else if (arg == "--stats") {
        if (!args.Value(arg, o.statsFile, error))
            return false;
    } else {
        error = "unknown option '" + std::string(arg) + "'";
        return false;
    }
    return true;
}

// The plant's line from the bus options; nothing when none was given outside --bus.
bool ResolvePlantLine(LmsimOptions& o, std::string& error) {
    if (!o.bus && !o.protocol && !o.busBaud && o.busFramingText.empty())
        return true;
    const BusProtocol protocol = o.protocol.value_or(BusProtocol::Trx5);
    std::string text = o.busFramingText;
    if (text.empty())
        text = protocol == BusProtocol::Din ? "7E1" : protocol == BusProtocol::Raw ? "8N1" : "8E1";
    o.plantLine = ParseUartFraming(text, o.busBaud.value_or(38400));
    if (!o.plantLine) {
        error = "--bus-framing: data bits 5-8, parity N, E, O, M or S, stop bits 1 or 2 (8E1)";
        return false;
    }
    if (o.plant && protocol != BusProtocol::Trx5) {
        error = "--plant plays TRX5: not with --protocol din or raw";
        return false;
    }
    if (o.bus && (o.transport != Transport::Pty || o.operatorMode)) {
        error = "--bus plays a plain line on a pty: needs --pty, not --operator";
        return false;
    }
    if (o.operatorMode) {
        error = "the bus options play the plant behind a line monitor box, not an operator";
        return false;
    }
    return true;
}

// Options of the data stream and its traffic.
bool ParseStreamingOption(std::string_view arg, ArgReader& args, LmsimOptions& o,
                          std::string& error) {
    std::uint64_t n = 0;
    if (arg == "--rate") {
        if (!args.Number(arg, 100000000, n, error))
            return false;
        o.rate = static_cast<std::uint32_t>(n);
    } else if (arg == "--count") {
        if (!args.Number(arg, UINT64_MAX, n, error))
            return false;
        o.count = n;
    } else if (arg == "--overrun-after") {
        if (!args.Number(arg, UINT64_MAX, n, error))
            return false;
        o.overrunAfter = n;
    } else if (arg == "--seed") {
        if (!args.Number(arg, UINT64_MAX, o.seed, error))
            return false;
    } else if (arg == "--bus-bytes") {
        if (!args.Value(arg, o.busBytesFile, error))
            return false;
    } else if (arg == "--param-addresses") {
        if (!args.Value(arg, o.paramAddressFile, error))
            return false;
    } else if (arg == "--error-permille" || arg == "--bad-bcc-permille") {
        if (!args.Number(arg, 1000, n, error))
            return false;
        (arg == "--error-permille" ? o.errorPermille : o.badBccPermille) = static_cast<int>(n);
    } else if (arg == "--plant") {
        o.plant = true;
    } else if (arg == "--frames-per-datagram") {
        if (!args.Number(arg, 64, n, error) || n == 0) {
            error = "--frames-per-datagram: 1 to 64";
            return false;
        }
        o.framesPerDatagram = static_cast<int>(n);
    } else {
        return ParseBusOption(arg, args, o, error);
    }
    return true;
}

} // namespace

std::optional<LmsimOptions> ParseLmsimOptions(int argc, char** argv, std::string& error) {
    LmsimOptions o;
    ArgReader args(argc, argv);
    while (args.More()) {
        if (!ParseOne(args.Next(), args, o, error))
            return std::nullopt;
    }
    if (o.showHelp)
        return o;
    if (o.transport == Transport::None) {
        error = "choose a transport: --udp PORT or --pty";
        return std::nullopt;
    }
    if (o.plant && (o.operatorMode || !o.busBytesFile.empty())) {
        error = "--plant plays the line monitor's own traffic: not with --operator or --bus-bytes";
        return std::nullopt;
    }
    if (!ResolvePlantLine(o, error))
        return std::nullopt;
    return o;
}

const char* LmsimHelpText() {
    return kHelp;
}

} // namespace protmon::lmsim
