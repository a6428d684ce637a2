#pragma once
// The subcommands of quelmar-cli. Each cli_*.cpp registers its own with a CliRegistrar.

#include <string>

namespace quelmar::tools {

struct CliCommand {
    const char* name;
    const char* usage;  // one or more lines, each starting with "quelmar-cli NAME"
    int (*run)(int argc, char** argv);  // argv[0] is the subcommand's name
    // What the subcommand does and what its options mean, printed under the usage by
    // `quelmar-cli NAME --help`; lines end with "\n".
    const char* description = nullptr;
};

void register_cli_command(const CliCommand& command);

struct CliRegistrar {
    explicit CliRegistrar(const CliCommand& command) { register_cli_command(command); }
};

// Exit statuses shared by the subcommands (process adds its own 3 and 4, see
// processing/process_command.h; the manual page lists them all).
constexpr int exit_ok = 0;
constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

}  // namespace quelmar::tools
