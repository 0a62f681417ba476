#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace protmon::cli {

// The value of --operator: any of "comm", "pd-out", "pd-in", separated by commas, as
// kSourceComm | kSourcePdOut | kSourcePdIn. False with the reason in `error`.
bool ParseOperatorList(std::string_view text, std::uint32_t& bits, std::string& error);

} // namespace protmon::cli
