// The command-line parser of protmon-cli: every usage error it can give, with the arguments that
// bring it, and the help text naming exactly the options the parser takes.
#include "app/protmon-cli/cli_option_table.h"

#include <cctype>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace protmon::cli {
namespace {

struct TParseRow {
    std::vector<const char*> Args; // after the program's name
    int Exit;
    const char* Error;
};

int Parse(const std::vector<const char*>& args, TCliOptions& out, std::string& error) {
    std::vector<const char*> argv = {"protmon-cli"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ParseCliOptions(static_cast<int>(argv.size()), argv.data(), out, error);
}

// clang-format off
const TParseRow kUsageErrors[] = {
    // Command line shape
    {{}, 2, "no command given"},
    {{"play", "x.bu5"}, 2, "unknown command 'play'"},
    {{"--hex"}, 2, "unknown command '--hex'"},
    {{"x.bu5"}, 2, "unknown command 'x.bu5'"},
    {{"decode", "--bogus", "f.bu5"}, 2, "unknown option '--bogus'"},
    {{"info", "--hex", "f.bu5"}, 2, "unknown option '--hex'"},
    {{"decode", "--port", "p", "f.bu5"}, 2, "unknown option '--port'"},
    {{"record", "--count", "5", "--port", "p", "-o", "r"}, 2, "unknown option '--count'"},
    {{"record", "--seconds", "5", "--port", "p", "-o", "r"}, 2, "unknown option '--seconds'"},
    {{"assemble", "--protocol", "trx5", "in", "-o"}, 2, "option '-o' needs a value"},
    {{"decode", "--hex=1", "f.bu5"}, 2, "option '--hex' takes no value"},
    {{"info", "a.bu5", "b.bu5"}, 2, "unexpected argument 'b.bu5'"},
    {{"--version", "x"}, 2, "unexpected argument 'x'"},
    {{"decode"}, 2, "no input file given"},
    {{"info"}, 2, "no input file given"},
    {{"stats", "--json"}, 2, "no input file given"},
    // Values of options
    {{"assemble", "--protocol", "can", "in", "-o", "o.bu5"}, 2,
     "unknown protocol 'can' (trx5, din66019ii or raw)"},
    {{"decode", "--include", "service=99", "f.bu5"}, 2, "--include: "},
    {{"stats", "--exclude", "colour=red", "f.bu5"}, 2, "--exclude: "},
    {{"decode", "--search", "ack", "f.bu5"}, 2, "--search: "},
    {{"decode", "--descriptions=", "f.bu5"}, 2, "--descriptions needs a description file (PARA.bin)"},
    {{"decode", "--descriptions", "P.bin", "--language", "de", "f.bu5"}, 2,
     "--language needs one letter (a, d, f, i, r or s)"},
    {{"decode", "--language", "/", "f.bu5"}, 2, "--language needs one letter (a, d, f, i, r or s)"},
    {{"assemble", "--buffer-depth", "9", "in"}, 2, "--buffer-depth needs a number from 10 to 10000000"},
    {{"capture", "--buffer-depth", "10000001"}, 2, "--buffer-depth needs a number from 10 to 10000000"},
    {{"values", "--drive", "100", "f.bu5"}, 2,
     "--drive needs the address byte as the ID column shows it (hex, 01 to FF)"},
    {{"values", "--drive", "0", "f.bu5"}, 2,
     "--drive needs the address byte as the ID column shows it (hex, 01 to FF)"},
    {{"values", "--parameter", "65536", "f.bu5"}, 2,
     "--parameter needs an address from 0 to 65535 (decimal, or hex with a trailing h)"},
    {{"values", "--parameter", "h", "f.bu5"}, 2,
     "--parameter needs an address from 0 to 65535 (decimal, or hex with a trailing h)"},
    {{"decode", "--columns", "time,time", "f.bu5"}, 2, "--columns needs time, response or both, comma separated"},
    {{"decode", "--columns", "size", "f.bu5"}, 2, "--columns needs time, response or both, comma separated"},
    {{"capture", "--port", ""}, 2, "--port needs a device path"},
    {{"capture", "--baud", "38,4"}, 2, "--baud needs one of 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200"},
    {{"capture", "--udp", "host"}, 2, "--udp needs HOST:PORT"},
    {{"capture", "--operator", "comm,pd"}, 2, "unknown operator selection 'pd' (comm, pd-out, pd-in)"},
    {{"capture", "--count", "0"}, 2, "--count needs a positive number of entries"},
    {{"capture", "--count", "5x"}, 2, "--count needs a positive number of entries"},
    {{"capture", "--seconds", "-1"}, 2, "--seconds needs a positive number"},
    {{"capture", "--seconds", ""}, 2, "--seconds needs a positive number"},
    {{"capture", "--lm-protocol", "raw"}, 2, "--lm-protocol needs one of trx5, din66019ii"},
    {{"capture", "--lm-baudrate", "38400"}, 2,
     "--lm-baudrate needs a KBaud figure of the dialog: 1,2 2,4 4,8 9,6 19,2 38,4 55,5 100 125 250 500 1000"},
    {{"capture", "--lm-timestamp-resolution", "64"}, 2,
     "--lm-timestamp-resolution needs one of 1, 8, 128, 1024, 8192"},
    {{"capture", "--lm-data-bits", "9"}, 2, "--lm-data-bits needs 7 or 8"},
    {{"capture", "--lm-parity", "mark"}, 2, "--lm-parity needs one of even, odd, none"},
    {{"capture", "--lm-handshake", "none"}, 2,
     "--lm-handshake needs one of hardware-full-duplex, software-half-duplex, software-full-duplex, software-single-channel"},
    {{"capture", "--lm-end-of-telegram", "25501"}, 2, "--lm-end-of-telegram needs microseconds from 0 to 25500"},
    {{"assemble", "--chunk", "0", "in"}, 2, "--chunk needs a positive number of bytes"},
    {{"export", "--format", "xml", "f.bu5"}, 2, "--format needs pcapng, csv or jsonl"},
    {{"record", "--format", "csv"}, 2, "--format needs bu5 or pcapng"},
    {{"record", "--file-entries", "0"}, 2, "--file-entries needs a positive number of entries"},
    {{"record", "--file-seconds", "0"}, 2, "--file-seconds needs a positive number"},
    {{"record", "--ring", "0"}, 2, "--ring needs a positive number of files"},
    {{"record", "--trigger", "ack=16"}, 2, "--trigger: "},
    {{"record", "--trigger-delay", "-1"}, 2, "--trigger-delay needs a number of entries from 0"},
    {{"record", "--keep-before", "x"}, 2, "--keep-before needs a number of files from 0"},
    {{"record", "--silence", "0"}, 2, "--silence needs a positive number of seconds"},
    {{"record", "--status-interval", "no"}, 2, "--status-interval needs a positive number of seconds"},
    {{"record", "--metrics", "0"}, 2, "--metrics needs [ADDRESS:]PORT with a port from 1 to 65535"},
    {{"record", "--metrics", "localhost:65536"}, 2, "--metrics needs [ADDRESS:]PORT with a port from 1 to 65535"},
    {{"record", "--metrics", ":9100"}, 2, "--metrics needs [ADDRESS:]PORT with a port from 1 to 65535"},
    // Options together
    {{"decode", "--language", "d", "f.bu5"}, 2, "--language needs --descriptions"},
    {{"export", "--language", "d", "--format", "csv", "f.bu5", "-o", "o.csv"}, 2,
     "--language needs --descriptions"},
    {{"decode", "--search", "ack=1", "--include", "ack=1", "f.bu5"}, 2,
     "--search cannot be combined with --include or --exclude"},
    {{"decode", "--exclude", "ack=1", "--search", "ack=1", "f.bu5"}, 2,
     "--search cannot be combined with --include or --exclude"},
    {{"decode", "--search", "ack=1", "--columns", "time", "f.bu5"}, 2,
     "--search prints positions: not with --columns"},
    {{"assemble", "in", "-o", "o.bu5"}, 2, "--protocol is required"},
    {{"assemble", "--protocol", "raw", "in"}, 2, "no output file given (-o OUTPUT.bu5)"},
    {{"export", "f.bu5", "-o", "o.csv"}, 2, "--format is required (pcapng, csv or jsonl)"},
    {{"export", "--format", "csv", "f.bu5"}, 2, "no output file given (-o OUTFILE)"},
    {{"values", "--list", "--csv", "f.bu5"}, 2, "values needs either --list or --drive ID --parameter ADDRESS"},
    {{"values", "f.bu5"}, 2, "values needs either --list or --drive ID --parameter ADDRESS"},
    {{"values", "--drive", "10", "f.bu5"}, 2, "values needs both --drive ID and --parameter ADDRESS"},
    {{"values", "--parameter", "80h"}, 2, "values needs both --drive ID and --parameter ADDRESS"},
    {{"values", "--list"}, 2, "no input file given"},
    {{"capture", "--port", "p", "f.bu5"}, 2, "capture takes no input file"},
    {{"capture"}, 2, "capture needs either --port DEVICE or --udp HOST:PORT"},
    {{"capture", "--port", "p", "--udp", "h:1"}, 2, "capture needs either --port DEVICE or --udp HOST:PORT"},
    {{"capture", "--port", "p", "--count", "5", "--seconds", "1"}, 2, "give --count or --seconds, not both"},
    {{"capture", "--udp", "h:1", "--operator", "comm"}, 2,
     "--operator records TRX5 from the serial port: not with --line-monitor, --udp or another protocol"},
    {{"capture", "--port", "p", "--line-monitor", "--operator", "comm"}, 2,
     "--operator records TRX5 from the serial port: not with --line-monitor, --udp or another protocol"},
    {{"capture", "--port", "p", "--protocol", "raw", "--operator", "pd-in"}, 2,
     "--operator records TRX5 from the serial port: not with --line-monitor, --udp or another protocol"},
    {{"record", "--port", "p", "in"}, 2, "capture takes no input file"},
    {{"record", "-o", "r"}, 2, "capture needs either --port DEVICE or --udp HOST:PORT"},
    {{"record", "--port", "p"}, 2, "record needs -o PREFIX"},
    {{"record", "--port", "p", "-o", "r", "--file-entries", "5", "--file-seconds", "1"}, 2,
     "give --file-entries or --file-seconds, not both"},
    {{"record", "--port", "p", "-o", "r", "--trigger-delay", "3"}, 2,
     "--trigger-delay and --keep-before need --trigger"},
    {{"record", "--port", "p", "-o", "r", "--keep-before", "0"}, 2,
     "--trigger-delay and --keep-before need --trigger"},
};
// clang-format on

TEST(CliOptions, EveryUsageErrorHasItsMessageAndExitStatus) {
    for (const TParseRow& row : kUsageErrors) {
        std::string line;
        for (const char* arg : row.Args)
            line += std::string(" ") + arg;
        SCOPED_TRACE("protmon-cli" + line);
        TCliOptions options;
        std::string error;
        EXPECT_EQ(Parse(row.Args, options, error), row.Exit);
        // A filter's own reason follows the option's name; the option's name is what is ours.
        const std::string want = row.Error;
        if (want.ends_with(": "))
            EXPECT_TRUE(error.starts_with(want) && error.size() > want.size()) << error;
        else
            EXPECT_EQ(error, want);
    }
}

// clang-format off
const std::vector<const char*> kAccepted[] = {
    {"--help"}, {"--version"}, {"decode", "--help"}, {"capture", "--help"},
    {"decode", "--hex", "--descriptions=P.bin", "--language", "d", "--columns", "response,time", "--", "-f.bu5"},
    {"decode", "--descriptions", "P.bin", "--search", "service=0", "f.bu5"},
    {"stats", "--json", "--include", "req-rsp=rsp", "--exclude", "rx-errors", "f.bu5"},
    {"assemble", "--protocol", "din66019ii", "--line-monitor", "--chunk", "7", "--buffer-depth", "10", "in", "-o", "o.bu5"},
    {"export", "--format", "jsonl", "--descriptions", "P.bin", "--language", "s", "f.bu5", "-o", "o"},
    {"values", "--csv", "--drive", "1f", "--parameter", "80h", "f.bu5"},
    {"values", "--list", "--descriptions", "P.bin", "f.bu5"},
    {"capture", "--port", "/dev/x", "--baud", "115200", "--operator", "comm,pd-out,pd-in", "--count", "3", "--hex", "-o", "c.bu5", "--summary-json", "s.json"},
    {"capture", "--udp", "h:1", "--seconds", "0.5", "--lm-protocol", "din66019ii", "--lm-baudrate", "38.4",
     "--lm-timestamp-resolution", "8192", "--lm-data-bits", "7", "--lm-parity", "none",
     "--lm-handshake", "software-single-channel", "--lm-end-of-telegram", "0"},
    {"record", "--udp", "h:1", "-o", "r", "--format", "pcapng", "--file-seconds", "2", "--ring", "3",
     "--trigger", "ack=>0", "--trigger-delay", "0", "--keep-before", "1", "--reconnect", "--silence", "4",
     "--quiet", "--status-interval", "1", "--line-monitor", "--buffer-depth", "100"},
    {"record", "--udp", "h:1", "-o", "r", "--metrics", "[::1]:9100"},
};
// clang-format on

TEST(CliOptions, EveryOptionOfEveryCommandIsAccepted) {
    for (const std::vector<const char*>& args : kAccepted) {
        std::string line;
        for (const char* arg : args)
            line += std::string(" ") + arg;
        SCOPED_TRACE("protmon-cli" + line);
        TCliOptions options;
        std::string error;
        EXPECT_EQ(Parse(args, options, error), kExitOk);
        EXPECT_EQ(error, "");
    }
}

} // namespace
} // namespace protmon::cli

namespace protmon::cli {
namespace {

// Options a help text names, found as the bash completion finds them: a dash right after the
// start of a line, a blank, a bracket or a bar.
std::set<std::string> OptionsNamedIn(const std::string& help) {
    // Scanned by hand: std::regex trips GCC 12's maybe-uninitialized warning in the sanitizer
    // build.
    const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    const auto nameChar = [&](char c) {
        return letter(c) || std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '-';
    };
    std::set<std::string> names;
    for (std::size_t i = 0; i < help.size(); ++i) {
        if (help[i] != '-' ||
            (i > 0 && std::string_view("[] (|").find(help[i - 1]) == std::string_view::npos))
            continue;
        std::size_t j = i + 1;
        if (j < help.size() && help[j] == '-')
            ++j;
        if (j >= help.size() || !letter(help[j]))
            continue;
        while (j < help.size() && nameChar(help[j]))
            ++j;
        names.insert(help.substr(i, j - i));
        i = j - 1;
    }
    return names;
}

// The completion and the man page take a command's options from its --help: the help must name
// every option of the command's description and no other.
TEST(CliOptions, HelpOfEveryCommandNamesExactlyItsOptions) {
    for (const TCommandEntry& command : CommandEntries()) {
        if (command.Cmd == Command::None)
            continue;
        SCOPED_TRACE(command.Name);
        std::set<std::string> described;
        for (const TOptionGroup* group : command.Options)
            for (const TOptionSpec& option : *group)
                described.insert(option.Name);
        std::set<std::string> named = OptionsNamedIn(UsageText(command.Cmd));
        named.erase("--help");
        if (command.Cmd == Command::Record) {
            // record refers to capture's help for the options they share.
            for (const std::string& shared : OptionsNamedIn(UsageText(Command::Capture)))
                if (described.count(shared) != 0)
                    named.insert(shared);
            // Its prose names options it refuses ("but --count, --seconds", "'decode
            // --include'"); the completion offers them too.
            for (const char* prose : {"--count", "--seconds", "--include"})
                EXPECT_EQ(named.erase(prose), 1U) << prose;
        }
        EXPECT_EQ(named, described);
    }
}

TEST(CliOptions, ToolHelpListsEveryCommand) {
    const std::string help = UsageText(Command::None);
    for (const TCommandEntry& command : CommandEntries())
        EXPECT_NE(help.find("\n  " + std::string(command.Name) + " "), std::string::npos)
            << command.Name;
}

} // namespace
} // namespace protmon::cli
