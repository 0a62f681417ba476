#pragma once

#include "app/protmon-cli/cli_options.h"

#include <string>
#include <vector>

namespace protmon::cli {

// One option's lines in a command's --help: its name with the value it takes, and what it does
// (lines separated by '\n', each starting at the help's column).
struct THelpEntry {
    const char* Term; // nullptr: Text is printed as it stands (a heading, a closing note)
    const char* Text;
    int Column = 0; // 0: the column of the command's help
};

struct TCommandHelp {
    const char* Synopsis; // the usage lines and what the command does
    int Column;
    std::vector<THelpEntry> Entries;
};

// The help of each command, part of its description (cli_option_table.h).
extern const TCommandHelp kInfoHelp, kDecodeHelp, kAssembleHelp, kCaptureHelp, kRecordHelp,
    kValuesHelp, kStatsHelp, kExportHelp, kExtcapHelp, kDetectHelp;
std::string FormatHelp(const TCommandHelp& help);

} // namespace protmon::cli
