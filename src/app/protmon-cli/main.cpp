#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--help") != 0) {
        std::fprintf(stderr, "protmon-cli: unknown command '%s'\n", argv[1]);
        return 2;
    }
    std::puts(
        "Usage: protmon-cli COMMAND [OPTIONS]\n\nCommands arrive with the monitor-file work.");
    return 0;
}
