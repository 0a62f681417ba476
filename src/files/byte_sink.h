#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace protmon {

// Where a format writer's bytes go when its caller owns the file (a recorder that keeps a growing
// file readable while it is written): appended, or patched where already written.
class IByteSink {
public:
    virtual ~IByteSink() = default;
    virtual void Write(const void* data, std::size_t n) = 0;
    virtual void WriteAt(std::uint64_t offset, const void* data, std::size_t n) = 0;
};

// A pipe a reader follows live (a capture streamed to another program): blocks collect until
// Flush writes them. Nothing already written can be patched; the descriptor stays the caller's.
class TStreamSink : public IByteSink {
public:
    explicit TStreamSink(int fd) : fd_(fd) {}
    void Write(const void* data, std::size_t n) override;
    void WriteAt(std::uint64_t, const void*, std::size_t) override {}
    // False once the reader is gone or a write failed.
    bool Flush();

private:
    int fd_;
    std::vector<std::uint8_t> pending_;
    bool failed_ = false;
};

} // namespace protmon
