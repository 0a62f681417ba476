// Writes the texts that come from protmon-cli's command table at build time: the man page's
// commands section and the bash completion. Not installed.
#include "app/protmon-cli/cli_docs.h"

#include <cstdio>
#include <string>
#include <string_view>

int main(int argc, char** argv) {
    const std::string_view what = argc == 3 ? argv[1] : "";
    std::string text;
    if (what == "man-commands") {
        text = protmon::cli::ManPageCommands();
    } else if (what == "completion") {
        text = protmon::cli::CompletionScript();
    } else {
        std::fputs("Usage: protmon-cli-docs man-commands|completion OUTPUT\n", stderr);
        return 2;
    }
    const std::string temporary = std::string(argv[2]) + ".tmp";
    std::FILE* out = std::fopen(temporary.c_str(), "w");
    if (out == nullptr)
        return 1;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !written || std::rename(temporary.c_str(), argv[2]) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
