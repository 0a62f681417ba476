#pragma once

// One in-memory file per harness process, refilled for every input: a path the readers open like
// any regular file, without touching the disk.
#include "fuzz_check.h"

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace protmon::fuzz {

// The path of the in-memory file, now holding exactly `data`.
inline const std::string& MemoryFileWith(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("fuzz-input", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::ftruncate(fd, 0) == 0);
    FUZZ_CHECK(::pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    return path;
}

} // namespace protmon::fuzz
