#pragma once

#include "app/protmon-cli/cli_options.h"

#include <cstdio>
#include <string>

namespace protmon::cli {

int RunInfo(const TCliOptions& options);
int RunDecode(const TCliOptions& options);
int RunAssemble(const TCliOptions& options);

// "protmon-cli: " + text on stderr.
void ReportError(const std::string& text);

// Collects output in one large buffer and writes it in big blocks.
class TOutputBuffer {
public:
    explicit TOutputBuffer(std::FILE* out) : out_(out) { text_.reserve(kFlushSize * 2); }
    std::string& Text() { return text_; }
    // Writes the buffer once it is large; false after a write error.
    bool MaybeFlush() { return text_.size() < kFlushSize || Flush(); }
    bool Flush();

private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    std::FILE* out_;
    std::string text_;
    bool failed_ = false;
};

} // namespace protmon::cli
