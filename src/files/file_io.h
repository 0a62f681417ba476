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
    // Why Open or a read failed: the system's reason, "Is a directory", or "not a regular file"
    // for a FIFO, device or socket.
    std::string Reason() const;

private:
    bool Fill();

    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t consumed_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool failed_ = false;
    int error_ = 0;
    bool special_ = false;
};

// Writes one output, the one way the program writes a file it was told to write (Save, every
// export, assemble, capture). What happens depends on what the target is:
// - a regular file, or none yet: the data goes to a new file in the target's folder, which is
//   flushed to disk and renamed over the target only when every write succeeded; the folder is
//   flushed after the rename, so a power loss keeps either the old or the complete new file.
//   Otherwise the new file is removed and the target keeps its old contents. A symbolic link
//   to a regular file replaces the file it points to, not the link.
// - a device, FIFO or socket (also behind a link): written through, as `cat > target` would.
// - "-": standard output.
class TSafeFileWriter {
public:
    TSafeFileWriter() = default;
    ~TSafeFileWriter();
    TSafeFileWriter(const TSafeFileWriter&) = delete;
    TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

    // False if the output cannot be opened (missing or read-only folder, a folder as target,
    // ...); Error() says why.
    bool Open(const std::string& target);
    // Buffered; a failure is remembered and reported by Commit.
    void Write(const void* data, std::size_t n);
    // Overwrites `n` bytes already written at `offset` (a count in a header known only at the
    // end); a failure is remembered and reported by Commit. On a stream only bytes still in the
    // buffer can be overwritten.
    void WriteAt(std::uint64_t offset, const void* data, std::size_t n);
    // Flushes, makes it durable and (regular files) renames over the target; true only if all
    // of it succeeded.
    bool Commit();
    // Regular files: closes and removes the new file; the target is untouched. What was already
    // written through to a stream stays written.
    void Abort();
    // errno of the first failure; 0 if none.
    int Error() const { return error_; }

private:
    enum class Mode { Replace, Through, Stdout };
    bool OpenThrough(const std::string& path);
    bool OpenReplacing(const std::string& path);
    bool Flush();
    bool Fail(int error);
    void CloseFile();

    Mode mode_ = Mode::Replace;
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t flushed_ = 0;
    bool failed_ = false;
    int error_ = 0;
};

// The text of the name that stands for standard output.
inline constexpr const char* kStdoutName = "-";

// Renames `from` over `to` and flushes the folder of `to`, so the rename survives a power loss.
// The caller has flushed the file itself (fsync) before. 0 or the errno of the failure.
int DurableRename(const std::string& from, const std::string& to);
// Renames without ever replacing an existing `to`; false with errno (EEXIST: the name is taken).
// Where the file system has no such rename, a hard link does the same.
bool RenameNoReplace(const std::string& from, const std::string& to);
// Flushes the folder that holds `path` (after creating, renaming or removing a file in it).
// 0 or the errno; file systems whose folders cannot be flushed count as success.
int SyncFolderOf(const std::string& path);

// True when both names lead to the same existing file (same device and inode, links followed).
bool SameFile(const std::string& a, const std::string& b);
// 0 when `path` may name an output file; EISDIR when it names a folder (an existing one, or a
// name ending in "/").
int OutputNameError(const std::string& path);
// The system's text for an errno ("No space left on device").
std::string SystemReason(int error);

} // namespace protmon
