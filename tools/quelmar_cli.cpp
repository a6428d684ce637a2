// quelmar-cli: the program's work without a window, for scripts and for checking results.

#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/cli.h"

namespace quelmar::tools {

namespace {
std::vector<CliCommand>& commands() {
    static std::vector<CliCommand> list;
    return list;
}

void print_usage(std::FILE* out) {
    std::fprintf(out, "usage:\n");
    for (const auto& c : commands()) std::fprintf(out, "%s\n", c.usage);
}
}  // namespace

void register_cli_command(const CliCommand& command) { commands().push_back(command); }

}  // namespace quelmar::tools

int main(int argc, char** argv) {
    using namespace quelmar::tools;
    if (argc < 2) {
        print_usage(stderr);
        return exit_usage;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        print_usage(stdout);
        return exit_ok;
    }
    for (const auto& c : commands()) {
        if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "quelmar-cli: unknown command '%s'\n", argv[1]);
    print_usage(stderr);
    return exit_usage;
}
