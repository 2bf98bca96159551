#pragma once

#include "vorn/cli/CliOptions.h"

#include <string>
#include <vector>

/// One subcommand of vorn-cli. Each lives in its own source file and
/// registers itself with a static `CliCommandRegistration`.
struct CliCommand {
    const char* name;
    /// One line for the overall help.
    const char* summary;
    /// The help text shown by "vorn-cli NAME --help", before the list of options.
    const char* help;
    /// Runs with the arguments after the subcommand's name; returns the exit code.
    int (*run)(const std::vector<std::string>& args);
    /// The options it takes (parsed by `CliParseArgs`, listed by `CliHelpText`).
    std::vector<CliOption> options = {};
};

/// Registers a subcommand when the program starts.
struct CliCommandRegistration {
    explicit CliCommandRegistration(const CliCommand& command);
};

/// Every registered subcommand, sorted by name.
std::vector<const CliCommand*> GetCliCommands();
const CliCommand* FindCliCommand(const std::string& name);

/// Exit codes: 0 success, 1 the work failed, 2 the command line was wrong.
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

/// Prints "vorn-cli: message" on stderr and returns kExitFailure.
int CliFail(const std::string& message);
/// Prints "vorn-cli: message" and a pointer to the command's help; returns kExitUsage.
int CliUsageError(const CliCommand& command, const std::string& message);
/// Checks that `args` holds between `min` and `max` plain arguments (no
/// unknown options); prints the usage error and returns false otherwise.
bool CliCheckArgs(const CliCommand& command, const std::vector<std::string>& args, size_t min,
                  size_t max, int& exitCode);
