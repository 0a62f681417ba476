#include "files/force_extension.h"

namespace protmon {

std::string ForceExtension(const std::string& name, const std::string& ext) {
    std::size_t cut = name.size();
    for (std::size_t i = name.size(); i > 0; --i) {
        const char c = name[i - 1];
        if (c == '/')
            break;
        if (c == '.') {
            const bool startsComponent = i == 1 || name[i - 2] == '/';
            if (!startsComponent)
                cut = i - 1;
            break;
        }
    }
    return name.substr(0, cut) + "." + ext;
}

} // namespace protmon
