// Replays a harness's seed corpus through its LLVMFuzzerTestOneInput without libFuzzer, so that a
// plain build catches a regression on a kept input. Arguments are files or folders (every regular
// file in a folder, in name order). A failed check aborts; the input in hand is named first.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

// The input being run, for the crash handler (which may only write).
std::string gCurrent;

void NameCurrentInput(int signal) {
    const char prefix[] = "fuzz replay: crashed on ";
    (void)!::write(STDERR_FILENO, prefix, sizeof prefix - 1);
    (void)!::write(STDERR_FILENO, gCurrent.data(), gCurrent.size());
    (void)!::write(STDERR_FILENO, "\n", 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::vector<fs::path> InputsOf(const fs::path& arg) {
    std::vector<fs::path> inputs;
    if (fs::is_directory(arg)) {
        for (const fs::directory_entry& e : fs::directory_iterator(arg))
            if (e.is_regular_file())
                inputs.push_back(e.path());
        std::sort(inputs.begin(), inputs.end());
    } else {
        inputs.push_back(arg);
    }
    return inputs;
}

bool Run(const fs::path& input) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "fuzz replay: cannot read %s\n", input.c_str());
        return false;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    gCurrent = input.string();
    // A copy of exactly `size` bytes, so that a read past the end is a read past an allocation.
    const std::vector<std::uint8_t> data(bytes);
    static const std::uint8_t kNothing = 0; // libFuzzer never hands out a null pointer either
    LLVMFuzzerTestOneInput(data.empty() ? &kNothing : data.data(), data.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR_OR_FILE...\n", argv[0]);
        return 2;
    }
    for (int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(sig, NameCurrentInput);
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    long runs = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::vector<fs::path> inputs = InputsOf(argv[i]);
        if (inputs.empty()) {
            std::fprintf(stderr, "fuzz replay: no inputs in %s\n", argv[i]);
            ok = false;
        }
        for (const fs::path& input : inputs) {
            ok = Run(input) && ok;
            ++runs;
        }
    }
    std::printf("fuzz replay: %ld inputs\n", runs);
    return ok ? 0 : 1;
}
