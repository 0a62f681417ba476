#pragma once

// Where the benchmarks find the simulator: $LMSIM, else beside the benchmark program.

#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace protmon::bench {

inline std::string LmsimPath() {
    if (const char* env = std::getenv("LMSIM"))
        return env;
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string("./x");
    return dir.substr(0, dir.rfind('/')) + "/lmsim";
}

} // namespace protmon::bench
