#include "app/protmon-cli/cli_options.h"

#include <charconv>
#include <functional>
#include <string_view>

namespace protmon::cli {

namespace {

struct TCommandName {
    Command Cmd;
    const char* Name;
};
constexpr TCommandName kCommands[] = {
    {Command::Info, "info"},
    {Command::Decode, "decode"},
    {Command::Assemble, "assemble"},
};

using Setter = std::function<bool(TCliOptions&, std::string_view value, std::string& error)>;

struct TOptionSpec {
    Command Cmd; // Command::None: every command
    const char* Name;
    bool TakesValue;
    Setter Apply;
};

bool ParseCount(std::string_view text, long long minimum, long long maximum, long long& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= minimum &&
           out <= maximum;
}

const std::vector<TOptionSpec>& OptionTable() {
    static const std::vector<TOptionSpec> table = {
        {Command::None, "--help", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.Help = true; }},
        {Command::Decode, "--hex", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.Hex = true; }},
        {Command::Assemble, "--protocol", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             o.ProtocolGiven = true;
             if (v == "trx5")
                 o.AssembleProtocol = Protocol::Trx5;
             else if (v == "din66019ii")
                 o.AssembleProtocol = Protocol::Din66019II;
             else if (v == "raw")
                 o.AssembleProtocol = Protocol::Raw;
             else
                 error = "unknown protocol '" + std::string(v) + "' (trx5, din66019ii or raw)";
             return error.empty();
         }},
        {Command::Assemble, "--line-monitor", false,
         [](TCliOptions& o, std::string_view, std::string&) { return o.LineMonitor = true; }},
        {Command::Assemble, "--chunk", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (!ParseCount(v, 1, 1LL << 40, o.Chunk))
                 error = "--chunk needs a positive number of bytes";
             return error.empty();
         }},
        {Command::Assemble, "--buffer-depth", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             long long depth = 0;
             if (!ParseCount(v, kMinBufferDepth, kMaxCliBufferDepth, depth))
                 error = "--buffer-depth needs a number from " + std::to_string(kMinBufferDepth) +
                         " to " + std::to_string(kMaxCliBufferDepth);
             o.BufferDepth = static_cast<int>(depth);
             return error.empty();
         }},
        {Command::Assemble, "-o", true,
         [](TCliOptions& o, std::string_view v, std::string&) {
             o.Output = v;
             return true;
         }},
    };
    return table;
}

const TOptionSpec* FindOption(Command cmd, std::string_view name) {
    for (const TOptionSpec& option : OptionTable())
        if ((option.Cmd == Command::None || option.Cmd == cmd) && name == option.Name)
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

const char* CommandName(Command cmd) {
    for (const TCommandName& c : kCommands)
        if (c.Cmd == cmd)
            return c.Name;
    return "";
}

int ParseCliOptions(int argc, const char* const* argv, TCliOptions& out, std::string& error) {
    out = TCliOptions{};
    int i = 1;
    if (i < argc && std::string_view(argv[i]) != "--help") {
        for (const TCommandName& c : kCommands)
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
    if (out.Help)
        return kExitOk;
    if (out.Cmd == Command::None) {
        error = "no command given";
        return kExitUsage;
    }
    if (out.Input.empty())
        error = "no input file given";
    else if (out.Cmd == Command::Assemble && !out.ProtocolGiven)
        error = "--protocol is required";
    else if (out.Cmd == Command::Assemble && out.Output.empty())
        error = "no output file given (-o OUTPUT.bu5)";
    return error.empty() ? kExitOk : kExitUsage;
}

std::string UsageText(Command cmd) {
    switch (cmd) {
    case Command::Info:
        return "Usage: protmon-cli info FILE.bu5\n"
               "Prints the settings in the header of a monitor file, one 'name: value' per line.\n";
    case Command::Decode:
        return "Usage: protmon-cli decode [--hex] FILE.bu5\n"
               "Prints one line per entry: the four texts of its row as the list view shows\n"
               "them, separated by TAB. A backslash is written as two, bytes 0x00-0x1F and 0x7F\n"
               "as \\xHH, bytes 0x80-0xFF as UTF-8 of the Latin-1 character.\n"
               "  --hex   numbers in hexadecimal, as \"Hex Display\" shows them\n";
    case Command::Assemble:
        return "Usage: protmon-cli assemble --protocol trx5|din66019ii|raw [--line-monitor]\n"
               "                            [--chunk N] [--buffer-depth N] INPUT -o OUTPUT.bu5\n"
               "Feeds the bytes of INPUT to the assembler as if they arrived on the serial port\n"
               "and saves the telegram list as a monitor file.\n"
               "  --protocol P        protocol selection of the capture\n"
               "  --line-monitor      INPUT holds line-monitor data frames\n"
               "  --chunk N           bytes that arrive before each poll tick (default: all)\n"
               "  --buffer-depth N    capacity of the telegram list (default 10000, at least 10)\n"
               "  -o OUTPUT.bu5       the monitor file to write\n";
    case Command::None:
        break;
    }
    return "Usage: protmon-cli COMMAND [OPTIONS] FILE\n"
           "Commands:\n"
           "  info       settings stored in a monitor file\n"
           "  decode     the rows of a monitor file as text\n"
           "  assemble   a recorded byte stream into a monitor file\n"
           "Run 'protmon-cli COMMAND --help' for the options of a command.\n"
           "Exit status: 0 success, 1 file error, 2 usage error.\n";
}

} // namespace protmon::cli
