// quelmar-cli: the program's work without a window, for scripts and for checking results.

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/version.h"
#include "tools/cli.h"

namespace quelmar::tools {

namespace {
std::vector<CliCommand>& commands() {
    static std::vector<CliCommand> list;
    return list;
}

void print_usage(std::FILE* out) {
    std::fprintf(out, "usage:\n");
    for (const auto& c : commands())
        std::fprintf(out, "%s\n", c.usage);
    std::fprintf(
        out, "quelmar-cli --version\nquelmar-cli NAME --help   (what NAME does and its options)\n");
}

void print_command_help(const CliCommand& c) {
    std::printf("usage:\n%s\n", c.usage);
    if (c.description)
        std::printf("\n%s", c.description);
}

bool is_help(const char* arg) {
    return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}
}  // namespace

void register_cli_command(const CliCommand& command) {
    commands().push_back(command);
}

}  // namespace quelmar::tools

int main(int argc, char** argv) {
    using namespace quelmar::tools;
    if (argc < 2) {
        print_usage(stderr);
        return exit_usage;
    }
    if (is_help(argv[1]) || std::strcmp(argv[1], "help") == 0) {
        print_usage(stdout);
        return exit_ok;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("quelmar-cli %s\n", quelmar::common::program_version);
        return exit_ok;
    }
    for (const auto& c : commands()) {
        if (std::strcmp(argv[1], c.name) != 0)
            continue;
        // Help wins wherever it stands, so that "quelmar-cli upgrade --device X --help" explains
        // instead of writing to a sensor.
        for (int i = 2; i < argc; ++i) {
            if (is_help(argv[i])) {
                print_command_help(c);
                return exit_ok;
            }
        }
        return c.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "quelmar-cli: unknown command '%s'\n", argv[1]);
    print_usage(stderr);
    return exit_usage;
}
