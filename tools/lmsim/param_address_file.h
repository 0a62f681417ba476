#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace protmon::lmsim {

// Reads parameter addresses, one per line, decimal or 0x hex; blank lines and text after '#' are
// ignored. False with a reason (file and line) on an unreadable file or a bad line.
bool LoadParamAddresses(const std::string& path, std::vector<std::uint16_t>& addresses,
                        std::string& error);

} // namespace protmon::lmsim
