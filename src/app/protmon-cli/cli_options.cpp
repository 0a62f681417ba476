#include "app/protmon-cli/cli_options.h"

#include "app/protmon-cli/capture_sources.h"
#include "app/protmon-cli/cli_option_table.h"
#include "model/line_monitor_settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <functional>
#include <string_view>

namespace protmon::cli {

namespace {

// Reads the criteria of a filter option; a key or value the filter dialog does not offer is a
// usage error that names it.
bool ParseFilterOption(const char* option, std::string_view value, TFilterCriteria& criteria,
                       std::string& error) {
    if (!ParseCriteriaText(value, criteria, error))
        error = std::string(option) + ": " + error;
    return error.empty();
}

// "--protocol": the names of the protocol selection, in the order of `Protocol`.
constexpr std::array<const char*, 3> kCaptureProtocolNames = {"trx5", "din66019ii", "raw"};

bool SetProtocol(TCliOptions& o, std::string_view v, std::string& error) {
    o.ProtocolGiven = true;
    const auto* found = std::find(kCaptureProtocolNames.begin(), kCaptureProtocolNames.end(), v);
    if (found == kCaptureProtocolNames.end())
        error = "unknown protocol '" + std::string(v) + "' (trx5, din66019ii or raw)";
    else
        o.AssembleProtocol = static_cast<Protocol>(found - kCaptureProtocolNames.begin());
    return error.empty();
}

bool SetInclude(TCliOptions& o, std::string_view v, std::string& error) {
    o.IncludeGiven = true;
    return ParseFilterOption("--include", v, o.IncludeFilter, error);
}

bool SetExclude(TCliOptions& o, std::string_view v, std::string& error) {
    o.ExcludeGiven = true;
    return ParseFilterOption("--exclude", v, o.ExcludeFilter, error);
}

bool SetDescriptions(TCliOptions& o, std::string_view v, std::string& error) {
    if (v.empty())
        error = "--descriptions needs a description file (PARA.bin)";
    o.Descriptions = v;
    return error.empty();
}

bool SetLanguage(TCliOptions& o, std::string_view v, std::string& error) {
    // The letter becomes part of a file name in the description file's folder.
    if (v.size() != 1 || v[0] <= ' ' || v[0] >= 0x7F || v[0] == '/')
        error = "--language needs one letter (a, d, f, i, r or s)";
    else
        o.Language = v[0];
    return error.empty();
}

bool SetBufferDepth(TCliOptions& o, std::string_view v, std::string& error) {
    long long depth = 0;
    if (!ParseWholeNumber(v, kMinBufferDepth, kMaxCliBufferDepth, depth))
        error = "--buffer-depth needs a number from " + std::to_string(kMinBufferDepth) + " to " +
                std::to_string(kMaxCliBufferDepth);
    o.BufferDepth = static_cast<int>(depth);
    return error.empty();
}

// --drive: the address byte as the "ID" column shows it, one or two hex digits.
bool SetDrive(TCliOptions& o, std::string_view v, std::string& error) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value, 16);
    if (v.empty() || v.size() > 2 || ec != std::errc() || end != v.data() + v.size() || value == 0)
        error = "--drive needs the address byte as the ID column shows it (hex, 01 to FF)";
    o.Drive = static_cast<int>(value);
    return error.empty();
}

// --parameter: decimal, or hexadecimal with a trailing h, as the filter dialog takes numbers.
bool SetParameter(TCliOptions& o, std::string_view v, std::string& error) {
    const bool hex = !v.empty() && (v.back() == 'h' || v.back() == 'H');
    const std::string_view digits = hex ? v.substr(0, v.size() - 1) : v;
    unsigned value = 0;
    const auto [end, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
        value > 0xFFFF)
        error = "--parameter needs an address from 0 to 65535 (decimal, or hex with a trailing h)";
    o.Parameter = static_cast<int>(value);
    return error.empty();
}

// "--columns time,response": the extra columns in the order given, each at most once.
bool SetColumns(TCliOptions& o, std::string_view v, std::string& error) {
    o.Columns.clear();
    while (error.empty()) {
        const std::size_t comma = v.find(',');
        const std::string_view name = v.substr(0, comma);
        const ExtraColumn column = name == "time" ? ExtraColumn::Time : ExtraColumn::Response;
        if ((name != "time" && name != "response") ||
            std::find(o.Columns.begin(), o.Columns.end(), column) != o.Columns.end())
            error = "--columns needs time, response or both, comma separated";
        o.Columns.push_back(column);
        if (comma == std::string_view::npos)
            break;
        v.remove_prefix(comma + 1);
    }
    return error.empty();
}

// Index of `v` among `names`; -1 if absent.
template <std::size_t N>
int IndexOf(std::string_view v, const std::array<const char*, N>& names) {
    for (std::size_t i = 0; i < N; ++i)
        if (v == names[i])
            return static_cast<int>(i);
    return -1;
}

// "--lm-baudrate": the KBaud figure of a dialog item, with comma or point ("38,4", "38.4").
int LineMonitorBaudIndex(std::string_view v) {
    for (int i = 0; i < kLineMonitorBaudItems; ++i) {
        std::string item = kLineMonitorBaudTexts[static_cast<std::size_t>(i)];
        const auto blank = item.find(' ');
        if (blank == std::string::npos)
            continue;
        item.resize(blank);
        std::string point = item;
        for (char& c : point)
            c = c == ',' ? '.' : c;
        if (v == item || v == point)
            return i;
    }
    return -1;
}

constexpr std::array<const char*, 2> kProtocolNames = {"trx5", "din66019ii"};
constexpr std::array<const char*, 3> kParityNames = {"even", "odd", "none"};
constexpr std::array<const char*, 4> kHandshakeNames = {
    "hardware-full-duplex", "software-half-duplex", "software-full-duplex",
    "software-single-channel"};
constexpr std::array<const char*, 8> kBaudNames = {"1200",  "2400",  "4800",  "9600",
                                                   "19200", "38400", "57600", "115200"};

// The time-stamp resolution items as the option takes them: their microseconds.
const std::array<const char*, kTimeStampItems>& TimeStampNames() {
    static const std::array<std::string, kTimeStampItems> texts = [] {
        std::array<std::string, kTimeStampItems> out;
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = std::to_string(kTimeStampResolutionsUs[i]);
        return out;
    }();
    static const std::array<const char*, kTimeStampItems> names = [] {
        std::array<const char*, kTimeStampItems> out{};
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = texts[i].c_str();
        return out;
    }();
    return names;
}

template <std::size_t N>
std::string Choices(const std::array<const char*, N>& names) {
    std::string out;
    for (const char* n : names)
        out += (out.empty() ? "" : ", ") + std::string(n);
    return out;
}

// An option whose value is one of `names`; stores the index through `store`.
template <std::size_t N>
Setter Choice(const char* option, const std::array<const char*, N>& names,
              void (*store)(TCliOptions&, int)) {
    return [option, &names, store](TCliOptions& o, std::string_view v, std::string& error) {
        const int i = IndexOf(v, names);
        if (i < 0)
            error = std::string(option) + " needs one of " + Choices(names);
        else
            store(o, i);
        return error.empty();
    };
}

template <std::size_t N>
std::vector<std::string> Words(const std::array<const char*, N>& names) {
    return {names.begin(), names.end()};
}

// An option whose value is one of `names`, offered as such by the completion.
template <std::size_t N>
TOptionSpec ChoiceOption(const char* option, const std::array<const char*, N>& names,
                         void (*store)(TCliOptions&, int)) {
    return {option, true, Choice(option, names, store), false, Words(names)};
}

// clang-format off
const TOptionSpec kHexOption = {"--hex", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.Hex = true; }};
const TOptionSpec kDescriptionsOption = {"--descriptions", true, SetDescriptions, true};
const TOptionSpec kLanguageOption = {"--language", true, SetLanguage};
const TOptionSpec kIncludeOption = {"--include", true, SetInclude};
const TOptionSpec kExcludeOption = {"--exclude", true, SetExclude};
const TOptionSpec kSearchOption = {"--search", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             o.Search = true;
             return ParseFilterOption("--search", v, o.IncludeFilter, error);
         }};
const TOptionSpec kColumnsOption = {"--columns", true, SetColumns};
const TOptionSpec kDriveOption = {"--drive", true, SetDrive};
const TOptionSpec kParameterOption = {"--parameter", true, SetParameter};
const TOptionSpec kListOption = {"--list", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.ListParameters = true; }};
const TOptionSpec kCsvOption = {"--csv", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.Csv = true; }};
const TOptionSpec kJsonOption = {"--json", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.Json = true; }};
const TOptionSpec kProtocolOption = {"--protocol", true, SetProtocol, false,
         Words(kCaptureProtocolNames)};
const TOptionSpec kLineMonitorOption = {"--line-monitor", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.LineMonitor = true; }};
const TOptionSpec kChunkOption = {"--chunk", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (!ParseWholeNumber(v, 1, 1LL << 40, o.Chunk))
                 error = "--chunk needs a positive number of bytes";
             return error.empty();
         }};
const TOptionSpec kBufferDepthOption = {"--buffer-depth", true, SetBufferDepth};
const TOptionSpec kOutputOption = {"-o", true,
         [](TCliOptions& o, std::string_view v, std::string&) {
             o.Output = v;
             return true;
         }, true};
const TOptionSpec kPortOption = {"--port", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             o.Port = v;
             if (v.empty())
                 error = "--port needs a device path";
             return error.empty();
         }, true};
const TOptionSpec kBaudOption =
         ChoiceOption("--baud", kBaudNames, [](TCliOptions& o, int i) { o.BaudIndex = i; });
const TOptionSpec kUdpOption = {"--udp", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             o.Udp = v;
             if (v.find(':') == std::string_view::npos)
                 error = "--udp needs HOST:PORT";
             return error.empty();
         }};
const TOptionSpec kOperatorOption = {"--operator", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             return ParseOperatorList(v, o.OperatorBits, error);
         }};
const TOptionSpec kSummaryJsonOption = {"--summary-json", true,
         [](TCliOptions& o, std::string_view v, std::string&) {
             o.SummaryJson = v;
             return true;
         }, true};
const TOptionSpec kCountOption = {"--count", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (!ParseWholeNumber(v, 1, 1LL << 40, o.Count))
                 error = "--count needs a positive number of entries";
             return error.empty();
         }};
const TOptionSpec kSecondsOption = {"--seconds", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (!ParsePositiveSeconds(v, o.Seconds))
                 error = "--seconds needs a positive number";
             return error.empty();
         }};
const TOptionSpec kLmProtocolOption =
         ChoiceOption("--lm-protocol", kProtocolNames,
                      [](TCliOptions& o, int i) { o.Monitor.ProtocolIndex = i; });
const TOptionSpec kLmBaudrateOption = {"--lm-baudrate", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             const int i = LineMonitorBaudIndex(v);
             if (i < 0)
                 error = "--lm-baudrate needs a KBaud figure of the dialog: 1,2 2,4 4,8 9,6 19,2 "
                         "38,4 55,5 100 125 250 500 1000";
             else
                 o.Monitor.BaudIndex = i;
             return error.empty();
         }};
const TOptionSpec kLmTimestampResolutionOption =
         ChoiceOption("--lm-timestamp-resolution", TimeStampNames(),
                      [](TCliOptions& o, int i) { o.Monitor.TimeStampIndex = i; });
const TOptionSpec kLmDataBitsOption = {"--lm-data-bits", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (v == "7" || v == "8")
                 o.Monitor.DataBits = v == "7" ? 7 : 8;
             else
                 error = "--lm-data-bits needs 7 or 8";
             return error.empty();
         }, false, {"8", "7"}};
const TOptionSpec kLmParityOption =
         ChoiceOption("--lm-parity", kParityNames,
                      [](TCliOptions& o, int i) { o.Monitor.Parity = static_cast<ParityChoice>(i); });
const TOptionSpec kLmHandshakeOption =
         ChoiceOption("--lm-handshake", kHandshakeNames,
                      [](TCliOptions& o, int i) {
                          o.Monitor.HandshakeMode = static_cast<Handshake>(i + 1);
                      });
const TOptionSpec kLmEndOfTelegramOption = {"--lm-end-of-telegram", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             long long us = 0;
             if (!ParseWholeNumber(v, 0, 25500, us))
                 error = "--lm-end-of-telegram needs microseconds from 0 to 25500";
             o.Monitor.EndOfTelegram = static_cast<int>(us);
             return error.empty();
         }};
const TOptionSpec kHelpOption = {"--help", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.Help = true; }};
const TOptionSpec kVersionOption = {"--version", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.Version = true; }};
const TOptionSpec kExportFormatOption = {"--format", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (v != "pcapng" && v != "csv" && v != "jsonl")
                 error = "--format needs pcapng, csv or jsonl";
             o.Format = v;
             return error.empty();
         }, false, {"pcapng", "csv", "jsonl"}};
// clang-format on

// The options each command takes, in groups that commands share.
const TOptionGroup kDecodeOptions = {kHexOption,     kDescriptionsOption, kLanguageOption,
                                     kIncludeOption, kExcludeOption,      kSearchOption,
                                     kColumnsOption};
const TOptionGroup kValuesOptions = {kDescriptionsOption, kLanguageOption, kDriveOption,
                                     kParameterOption,    kListOption,     kCsvOption};
const TOptionGroup kStatsOptions = {kJsonOption, kIncludeOption, kExcludeOption};
const TOptionGroup kAssembleOptions = {kProtocolOption, kLineMonitorOption, kChunkOption,
                                       kBufferDepthOption, kOutputOption};
const TOptionGroup kExportOptions = {kExportFormatOption, kDescriptionsOption, kLanguageOption,
                                     kIncludeOption,      kExcludeOption,      kOutputOption};
// What `capture` and `record` both take: the source, the list and the line monitor's fields.
const TOptionGroup kCaptureSourceOptions = {kProtocolOption,
                                            kLineMonitorOption,
                                            kHexOption,
                                            kBufferDepthOption,
                                            kOutputOption,
                                            kPortOption,
                                            kBaudOption,
                                            kUdpOption,
                                            kOperatorOption,
                                            kSummaryJsonOption,
                                            kLmProtocolOption,
                                            kLmBaudrateOption,
                                            kLmTimestampResolutionOption,
                                            kLmDataBitsOption,
                                            kLmParityOption,
                                            kLmHandshakeOption,
                                            kLmEndOfTelegramOption};
const TOptionGroup kCaptureStopOptions = {kCountOption, kSecondsOption};
const TOptionSpec kMonitorOption = {
    "--monitor", false,
    [](TCliOptions& o, std::string_view, std::string&) { return o.DetectBox = true; }};
const TOptionGroup kDetectOptions = {kPortOption,    kUdpOption,     kBaudOption,
                                     kMonitorOption, kSecondsOption, kJsonOption};

// Rules between options, each a broken combination and its message.
const TOptionRule kNoInput = {[](const TCliOptions& o) { return o.Input.empty(); },
                              "no input file given"};
const TOptionRule kLanguageNeedsDescriptions = {
    [](const TCliOptions& o) { return o.Language != '\0' && o.Descriptions.empty(); },
    "--language needs --descriptions"};
// Search is refused while the display is filtered.
const TOptionRule kSearchUnfiltered = {
    [](const TCliOptions& o) { return o.Search && (o.IncludeGiven || o.ExcludeGiven); },
    "--search cannot be combined with --include or --exclude"};
const TOptionRule kSearchWithoutColumns = {
    [](const TCliOptions& o) { return o.Search && !o.Columns.empty(); },
    "--search prints positions: not with --columns"};
const TOptionRule kValuesOneWay = {
    [](const TCliOptions& o) {
        return !o.Input.empty() && o.ListParameters == (o.Drive >= 0 || o.Parameter >= 0 || o.Csv);
    },
    "values needs either --list or --drive ID --parameter ADDRESS"};
const TOptionRule kValuesBoth = {
    [](const TCliOptions& o) { return !o.ListParameters && (o.Drive < 0 || o.Parameter < 0); },
    "values needs both --drive ID and --parameter ADDRESS"};
const TOptionRule kCaptureNoInput = {[](const TCliOptions& o) { return !o.Input.empty(); },
                                     "capture takes no input file"};
const TOptionRule kCaptureOneSource = {
    [](const TCliOptions& o) { return o.Port.empty() == o.Udp.empty(); },
    "capture needs either --port DEVICE or --udp HOST:PORT"};
const TOptionRule kCountOrSeconds = {
    [](const TCliOptions& o) { return o.Count > 0 && o.Seconds > 0; },
    "give --count or --seconds, not both"};
const TOptionRule kOperatorOnSerialTrx5 = {
    [](const TCliOptions& o) {
        return o.OperatorBits != 0 &&
               (o.LineMonitor || !o.Udp.empty() || o.AssembleProtocol != Protocol::Trx5);
    },
    "--operator records TRX5 from the serial port: not with --line-monitor, --udp or another "
    "protocol"};

std::vector<TOptionRule> RecordCommandRules() {
    std::vector<TOptionRule> rules = {kCaptureNoInput, kCaptureOneSource, kOperatorOnSerialTrx5};
    rules.insert(rules.end(), RecordRules().begin(), RecordRules().end());
    return rules;
}

} // namespace

const TOptionGroup& CommonOptions() {
    static const TOptionGroup options = {kHelpOption, kVersionOption};
    return options;
}

const std::vector<TCommandEntry>& CommandEntries() {
    static const std::vector<TCommandEntry> commands = {
        {Command::Info, "info", "settings stored in a monitor file", {}, {kNoInput}, &kInfoHelp},
        {Command::Decode,
         "decode",
         "the rows of a monitor file as text",
         {&kDecodeOptions},
         {kNoInput, kLanguageNeedsDescriptions, kSearchUnfiltered, kSearchWithoutColumns},
         &kDecodeHelp},
        {Command::Assemble,
         "assemble",
         "a recorded byte stream into a monitor file",
         {&kAssembleOptions},
         {kNoInput,
          {[](const TCliOptions& o) { return !o.ProtocolGiven; }, "--protocol is required"},
          {[](const TCliOptions& o) { return o.Output.empty(); },
           "no output file given (-o OUTPUT.bu5)"}},
         &kAssembleHelp},
        {Command::Capture,
         "capture",
         "record from a serial port or a line monitor, printing each entry",
         {&kCaptureSourceOptions, &kCaptureStopOptions},
         {kCaptureNoInput, kCaptureOneSource, kCountOrSeconds, kOperatorOnSerialTrx5},
         &kCaptureHelp},
        {Command::Record,
         "record",
         "record unattended into a series of files",
         {&kCaptureSourceOptions, &RecordOptions()},
         RecordCommandRules(),
         &kRecordHelp},
        {Command::Values,
         "values",
         "the values of one parameter of one drive, or the parameters per drive",
         {&kValuesOptions},
         {kValuesOneWay, kValuesBoth, kNoInput, kLanguageNeedsDescriptions},
         &kValuesHelp},
        {Command::Stats,
         "stats",
         "requests, responses, missing replies and response times per drive",
         {&kStatsOptions},
         {kNoInput},
         &kStatsHelp},
        {Command::Export,
         "export",
         "a recording as pcapng, CSV or JSON Lines",
         {&kExportOptions},
         {kNoInput,
          kLanguageNeedsDescriptions,
          {[](const TCliOptions& o) { return o.Format.empty(); },
           "--format is required (pcapng, csv or jsonl)"},
          {[](const TCliOptions& o) { return o.Output.empty(); },
           "no output file given (-o OUTFILE)"}},
         &kExportHelp},
        {Command::Detect,
         "detect",
         "baud rate, framing and protocol of an unknown line",
         {&kDetectOptions},
         {{[](const TCliOptions& o) { return !o.Input.empty(); }, "detect takes no input file"},
          {[](const TCliOptions& o) { return o.Port.empty() == o.Udp.empty(); },
           "detect needs either --port DEVICE or --udp HOST:PORT"}},
         &kDetectHelp},
        {Command::None, "extcap", "Wireshark's external capture program", {}, {}, &kExtcapHelp},
    };
    return commands;
}

const TCommandEntry* FindCommandEntry(Command cmd) {
    for (const TCommandEntry& entry : CommandEntries())
        if (entry.Cmd == cmd && cmd != Command::None)
            return &entry;
    return nullptr;
}

namespace {

const TOptionSpec* FindOption(Command cmd, std::string_view name) {
    for (const TOptionSpec& option : CommonOptions())
        if (name == option.Name)
            return &option;
    const TCommandEntry* entry = FindCommandEntry(cmd);
    for (const TOptionGroup* group : entry ? entry->Options : std::vector<const TOptionGroup*>{})
        for (const TOptionSpec& option : *group)
            if (name == option.Name)
                return &option;
    return nullptr;
}

// Handles argv[i] (an option) and, where it takes one, its value; advances i past them.
bool ApplyOption(int argc, const char* const* argv, int& i, TCliOptions& out, std::string& error) {
    std::string_view arg = argv[i];
    std::string_view value;
    bool inlineValue = false;
    if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
        value = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
        inlineValue = true;
    }
    const TOptionSpec* option = FindOption(out.Cmd, arg);
    if (option == nullptr) {
        error = "unknown option '" + std::string(arg) + "'";
        return false;
    }
    if (option->TakesValue && !inlineValue) {
        if (i + 1 >= argc) {
            error = "option '" + std::string(arg) + "' needs a value";
            return false;
        }
        value = argv[++i];
    } else if (!option->TakesValue && inlineValue) {
        error = "option '" + std::string(arg) + "' takes no value";
        return false;
    }
    ++i;
    return option->Apply(out, value, error);
}

} // namespace

bool ParseWholeNumber(std::string_view text, long long minimum, long long maximum, long long& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= minimum &&
           out <= maximum;
}

bool ParsePositiveSeconds(std::string_view v, double& out) {
    const std::string text(v);
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && out > 0;
}

bool ParseOperatorList(std::string_view text, std::uint32_t& bits, std::string& error) {
    bits = 0;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        if (item == "comm")
            bits |= kSourceComm;
        else if (item == "pd-out")
            bits |= kSourcePdOut;
        else if (item == "pd-in")
            bits |= kSourcePdIn;
        else {
            error = "unknown operator selection '" + std::string(item) + "' (comm, pd-out, pd-in)";
            return false;
        }
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

TLineMonitorSettings MakeLineMonitorSettings(const TLineMonitorOptions& o) {
    TLineMonitorSettings lm;
    if (o.BaudIndex)
        lm.BaudIndex = *o.BaudIndex;
    if (o.ProtocolIndex)
        SelectLineMonitorProtocol(lm, *o.ProtocolIndex);
    FillEndOfTelegramDefault(lm);
    if (o.TimeStampIndex)
        lm.TimeStampIndex = *o.TimeStampIndex;
    if (o.DataBits)
        lm.DataBits = *o.DataBits;
    if (o.Parity)
        lm.Parity = *o.Parity;
    if (o.HandshakeMode)
        lm.HandshakeMode = *o.HandshakeMode;
    if (o.EndOfTelegram)
        lm.EndOfTelegramText = std::to_string(*o.EndOfTelegram);
    return lm;
}

const char* CommandName(Command cmd) {
    const TCommandEntry* entry = FindCommandEntry(cmd);
    return entry ? entry->Name : "";
}

int ParseCliOptions(int argc, const char* const* argv, TCliOptions& out, std::string& error) {
    out = TCliOptions{};
    int i = 1;
    if (i < argc && std::string_view(argv[i]) != "--help" &&
        std::string_view(argv[i]) != "--version") {
        for (const TCommandEntry& c : CommandEntries())
            if (argv[i] == std::string_view(c.Name))
                out.Cmd = c.Cmd;
        if (out.Cmd == Command::None) {
            error = "unknown command '" + std::string(argv[i]) + "'";
            return kExitUsage;
        }
        ++i;
    }
    bool optionsEnded = false;
    while (i < argc) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            ++i;
        } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            if (!ApplyOption(argc, argv, i, out, error))
                return kExitUsage;
        } else if (out.Cmd == Command::None || !out.Input.empty()) {
            error = "unexpected argument '" + std::string(arg) + "'";
            return kExitUsage;
        } else {
            out.Input = arg;
            ++i;
        }
    }
    if (out.Help || out.Version)
        return kExitOk;
    if (out.Cmd == Command::None) {
        error = "no command given";
        return kExitUsage;
    }
    for (const TOptionRule& rule : FindCommandEntry(out.Cmd)->Rules)
        if (rule.Broken(out)) {
            error = rule.Message;
            return kExitUsage;
        }
    return kExitOk;
}

namespace {

std::string CommandList() {
    std::string out;
    for (const TCommandEntry& c : CommandEntries()) {
        std::string name = c.Name;
        name.resize(std::max<std::size_t>(name.size() + 1, 11), ' ');
        out += "  " + name + c.Summary + "\n";
    }
    return out;
}

} // namespace

std::string UsageText(Command cmd) {
    if (const TCommandEntry* entry = FindCommandEntry(cmd);
        entry != nullptr && entry->Help != nullptr)
        return FormatHelp(*entry->Help);
    return "Usage: protmon-cli COMMAND [OPTIONS] FILE\n"
           "  or:  protmon-cli --version\n"
           "Commands:\n" +
           CommandList() +
           "Run 'protmon-cli COMMAND --help' for the options of a command.\n"
           "Commands that read a recording take a monitor file or a pcapng file of 'export'.\n"
           "Exit status: 0 success, 1 file error, 2 usage error.\n";
}

} // namespace protmon::cli
