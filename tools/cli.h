#pragma once
// The subcommands of quelmar-cli. Each cli_*.cpp registers its own with a CliRegistrar.

#include <string>

namespace quelmar::tools {

struct CliCommand {
    const char* name;
    const char* usage;  // one or more lines, each starting with "quelmar-cli NAME"
    int (*run)(int argc, char** argv);  // argv[0] is the subcommand's name
};

void register_cli_command(const CliCommand& command);

struct CliRegistrar {
    explicit CliRegistrar(const CliCommand& command) { register_cli_command(command); }
};

// Exit statuses shared by the subcommands.
constexpr int exit_ok = 0;
constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

}  // namespace quelmar::tools
