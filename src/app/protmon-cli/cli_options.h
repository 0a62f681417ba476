#pragma once

#include "filter/criteria_text.h"
#include "model/capture_settings.h"
#include "model/telegram_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace protmon::cli {

// Exit status of the tool.
enum ExitCode : int { kExitOk = 0, kExitFileError = 1, kExitUsage = 2 };

enum class Command { None, Info, Decode, Assemble, Capture, Stats, Export, Values, Record, Detect };

// Extra columns of decode --columns, in the order given.
enum class ExtraColumn { Time, Response };

// The line monitor settings dialog's fields as options; unset fields keep the dialog's defaults
// (and the presets of the chosen protocol).
struct TLineMonitorOptions {
    std::optional<int> ProtocolIndex;
    std::optional<int> BaudIndex;
    std::optional<int> TimeStampIndex;
    std::optional<int> DataBits;
    std::optional<ParityChoice> Parity;
    std::optional<Handshake> HandshakeMode;
    std::optional<int> EndOfTelegram;
};

// The dialog's settings for these options, as the dialog would hold them once shown.
TLineMonitorSettings MakeLineMonitorSettings(const TLineMonitorOptions& o);

// Everything the command line can say, for every command. A command reads only its own fields;
// the parser refuses options that do not belong to the command.
struct TCliOptions {
    Command Cmd = Command::None;
    bool Help = false;
    bool Version = false;
    // Positional arguments: the input file.
    std::string Input;
    // decode
    // --include/--exclude: the rows of the filtered display; --search: the positions that
    // "Search for filter" finds with these criteria as the include filter.
    bool IncludeGiven = false;
    bool ExcludeGiven = false;
    bool Search = false;
    TFilterCriteria IncludeFilter;
    TFilterCriteria ExcludeFilter;
    bool Hex = false;
    std::string Descriptions;         // description file of the L7 decoder; empty: off
    char Language = '\0';             // language letter; '\0': the description file's own names
    std::vector<ExtraColumn> Columns; // --columns; empty: the four texts only
    // stats (also --include, --exclude)
    bool Json = false;
    // assemble
    bool ProtocolGiven = false;
    Protocol AssembleProtocol = Protocol::Trx5;
    bool LineMonitor = false;
    long long Chunk = 0; // bytes made available before each tick; 0 = all remaining
    int BufferDepth = kDefaultBufferDepth;
    std::string Output;
    // export (also --descriptions, --language, --include, --exclude, -o)
    std::string Format; // pcapng, csv or jsonl
    // capture (also --protocol, --line-monitor, --hex, --buffer-depth, -o)
    std::string Port;
    int BaudIndex = 5; // baud box item of --baud
    std::string Udp;
    long long Count = 0;            // stop after this many entries; 0 = no limit
    double Seconds = 0;             // stop after this time; 0 = no limit
    std::uint32_t OperatorBits = 0; // --operator: the fieldbus operator's monitor selection
    std::string SummaryJson;        // --summary-json: the closing summary as JSON
    TLineMonitorOptions Monitor;
    // detect (also --port, --baud, --udp, --seconds, --json): --monitor, a line monitor box
    bool DetectBox = false;
    // record (also the capture options but --count and --seconds; -o is the prefix)
    struct TRecordOptions {
        std::string Format = "bu5";
        long long FileEntries = 0;
        double FileSeconds = 0;
        int Ring = 0;
        bool TriggerGiven = false;
        TFilterCriteria Trigger;
        int TriggerDelay = 0;
        int KeepBefore = -1; // -1: every file the ring holds
        bool Reconnect = false;
        double Silence = 10; // --udp --reconnect: seconds without a datagram that mean gone
        bool Quiet = false;
        double StatusInterval = 0;
        std::string MetricsHost = "127.0.0.1"; // --metrics [ADDRESS:]PORT
        int MetricsPort = 0;                   // 0: no metrics endpoint
    } Record;
    // values (also --descriptions, --language)
    int Drive = -1;     // --drive: address byte of the requests
    int Parameter = -1; // --parameter
    bool ListParameters = false;
    bool Csv = false;
};

constexpr int kMaxCliBufferDepth = 10'000'000;

// Fills `out` from argv; returns kExitOk, or kExitUsage with the reason in `error`.
int ParseCliOptions(int argc, const char* const* argv, TCliOptions& out, std::string& error);

// Usage text of the tool (Command::None) or of one command.
std::string UsageText(Command cmd);
const char* CommandName(Command cmd);

} // namespace protmon::cli
