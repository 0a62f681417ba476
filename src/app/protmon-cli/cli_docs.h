#pragma once

#include <string>

namespace protmon::cli {

// Texts written at build time from the command table (cli_option_table.h), so the man page and
// the completion name exactly what the parser takes.

// The help2man include with a "COMMANDS" section: each command's --help as it prints it.
std::string ManPageCommands();

// The bash completion script: the commands, each command's options and what follows an option
// that takes a value (its choices, file names, or nothing for a number or a name).
std::string CompletionScript();

} // namespace protmon::cli
