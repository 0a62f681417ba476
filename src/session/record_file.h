#pragma once

#include "files/byte_sink.h"

#include <cstdint>
#include <string>
#include <vector>

namespace protmon {

// One recorder file while it grows: written under a temporary name next to its target, in whole
// units (the header, then one entry each), so that whatever happens the file on disk ends at a
// unit boundary. A write the disk refuses stops the file there: the units that fit stay, the
// error is kept, and the file can still be finished with them.
class TRecordFile : public IByteSink {
public:
    TRecordFile() = default;
    ~TRecordFile() override;
    TRecordFile(const TRecordFile&) = delete;
    TRecordFile& operator=(const TRecordFile&) = delete;

    // Creates TARGET.tmp-PID-N, never an existing file; false (Error() says why) if it cannot.
    bool Create(const std::string& target);
    void Write(const void* data, std::size_t n) override;
    void WriteAt(std::uint64_t offset, const void* data, std::size_t n) override;
    // The bytes written since the last call form one unit.
    void EndUnit();
    // Hands what is buffered to the system; false once a write failed.
    bool Flush();
    // Units on disk or buffered; after a failure only those on disk.
    long long Units() const { return unitsOnDisk_ + static_cast<long long>(pending_.size()); }
    bool Failed() const { return error_ != 0; }
    int Error() const { return error_; }
    const std::string& TempPath() const { return temp_; }

    // Flushes, syncs and closes the file; then gives it the name `target` unless that exists
    // (EEXIST: try another; 0: done; else the reason). A file that is not published stays
    // under its temporary name until Publish succeeds or Abort removes it.
    bool Close();
    int Publish(const std::string& target);
    // Removes the temporary file.
    void Abort();
    // Leaves the (closed) temporary file where it is, for the next run to finish.
    void Keep() { temp_.clear(); }

private:
    void Fail(int error);

    std::string temp_;
    int fd_ = -1;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t flushed_ = 0;          // bytes the system has
    std::uint64_t safeEnd_ = 0;          // end of the last unit on disk
    std::vector<std::uint64_t> pending_; // ends of buffered units
    long long unitsOnDisk_ = 0;
    int error_ = 0;
};

} // namespace protmon
