#pragma once

#include <cstddef>
#include <cstdint>

namespace protmon {

// Where a format writer's bytes go when its caller owns the file (a recorder that keeps a growing
// file readable while it is written): appended, or patched where already written.
class IByteSink {
public:
    virtual ~IByteSink() = default;
    virtual void Write(const void* data, std::size_t n) = 0;
    virtual void WriteAt(std::uint64_t offset, const void* data, std::size_t n) = 0;
};

} // namespace protmon
