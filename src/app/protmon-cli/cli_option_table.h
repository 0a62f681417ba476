#pragma once

#include "app/protmon-cli/cli_options.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace protmon::cli {

using Setter = std::function<bool(TCliOptions&, std::string_view value, std::string& error)>;

struct TOptionEntry {
    Command Cmd; // Command::None: every command
    const char* Name;
    bool TakesValue;
    Setter Apply;
};

// The options of `record` of its own; it shares the capture options but --count and --seconds.
const std::vector<TOptionEntry>& RecordOptionTable();
bool SharedWithRecord(std::string_view captureOption);
int CheckRecord(const TCliOptions& o, std::string& error);
std::string RecordUsage();

} // namespace protmon::cli
