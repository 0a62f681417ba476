#include "app/protmon-cli/capture_sources.h"

#include "model/capture_settings.h"

namespace protmon::cli {

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

} // namespace protmon::cli
