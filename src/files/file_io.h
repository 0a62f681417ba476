#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace protmon {

// Sequential reader of a regular file through one large buffer, so that reading many small
// records costs a few big system calls.
class TBufferedFileReader {
public:
    TBufferedFileReader() = default;
    ~TBufferedFileReader();
    TBufferedFileReader(const TBufferedFileReader&) = delete;
    TBufferedFileReader& operator=(const TBufferedFileReader&) = delete;

    // False if the file cannot be opened or is not a regular file.
    bool Open(const std::string& path);
    // Size of the file when it was opened.
    std::uint64_t Size() const { return size_; }
    // Bytes not yet read, by the size at opening.
    std::uint64_t Remaining() const { return size_ > consumed_ ? size_ - consumed_ : 0; }
    // Copies up to n bytes; returns how many were copied. Fewer than n: end of file or error.
    std::size_t Read(void* dst, std::size_t n);
    // Closes the file; false if closing reported an error (or it was not open).
    bool Close();

private:
    bool Fill();

    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t consumed_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool failed_ = false;
};

// Writes a file so that the target is replaced only by a complete copy: the data goes to a new
// file in the target's folder, which is renamed over the target only when every write and the
// close succeeded. Otherwise the new file is removed and the target keeps its old contents.
class TSafeFileWriter {
public:
    TSafeFileWriter() = default;
    ~TSafeFileWriter();
    TSafeFileWriter(const TSafeFileWriter&) = delete;
    TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

    // False if the new file cannot be created (missing or read-only folder, ...).
    bool Open(const std::string& target);
    // Buffered; a failure is remembered and reported by Commit.
    void Write(const void* data, std::size_t n);
    // Overwrites `n` bytes already written at `offset` (a count in a header known only at the
    // end); a failure is remembered and reported by Commit.
    void WriteAt(std::uint64_t offset, const void* data, std::size_t n);
    // Flushes, closes and renames over the target; true only if all of it succeeded.
    bool Commit();
    // Closes and removes the new file; the target is untouched.
    void Abort();

private:
    bool Flush();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    std::vector<std::uint8_t> buffer_;
    bool failed_ = false;
};

} // namespace protmon
