#include "param_address_file.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace protmon::lmsim {

namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

} // namespace

bool LoadParamAddresses(const std::string& path, std::vector<std::uint16_t>& addresses,
                        std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string text = Trim(line.substr(0, line.find('#')));
        if (text.empty())
            continue;
        char* end = nullptr;
        errno = 0;
        const unsigned long value = std::strtoul(text.c_str(), &end, 0);
        if (errno != 0 || *end != '\0' || text[0] == '-' || value > 0xFFFF) {
            error = path + ":" + std::to_string(number) + ": not an address: " + text;
            return false;
        }
        addresses.push_back(static_cast<std::uint16_t>(value));
    }
    if (addresses.empty()) {
        error = path + ": no addresses";
        return false;
    }
    return true;
}

} // namespace protmon::lmsim
