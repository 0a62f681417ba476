#pragma once

#include "app/protmon-cli/cli_options.h"
#include "app/protmon-cli/command_help.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace protmon::cli {

// The command line as data: each command is a name, a line for the tool's command list, the
// groups of options it takes, the rules between them and its help. Parsing, --help, the man page
// and the bash completion (cli_docs.h) come from these tables.
using Setter = std::function<bool(TCliOptions&, std::string_view value, std::string& error)>;

struct TOptionSpec {
    const char* Name;
    bool TakesValue;
    Setter Apply;
    // What the bash completion offers for the value: file names, or these words; else nothing.
    bool FileValue = false;
    std::vector<std::string> Choices = {};
};
using TOptionGroup = std::vector<TOptionSpec>;

// A combination of options the command refuses: the first broken rule of a command is its error.
struct TOptionRule {
    bool (*Broken)(const TCliOptions&);
    const char* Message;
};

struct TCommandEntry {
    Command Cmd; // Command::None: handled before the options are parsed (a line of the list only)
    const char* Name;
    const char* Summary; // its line in the tool's command list
    std::vector<const TOptionGroup*> Options;
    std::vector<TOptionRule> Rules;
    const TCommandHelp* Help; // its --help
};

// Every command, in the order of the tool's command list.
const std::vector<TCommandEntry>& CommandEntries();
const TCommandEntry* FindCommandEntry(Command cmd);
// The options every command takes (--help, --version).
const TOptionGroup& CommonOptions();

// A whole number from `minimum` to `maximum`; a positive number of seconds.
bool ParseWholeNumber(std::string_view text, long long minimum, long long maximum, long long& out);
bool ParsePositiveSeconds(std::string_view text, double& out);

// `record` takes the capture options but --count and --seconds, and these of its own.
const TOptionGroup& RecordOptions();
const std::vector<TOptionRule>& RecordRules();

} // namespace protmon::cli
