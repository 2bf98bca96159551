#include "vorn/cli/CliCommand.h"

#include <algorithm>
#include <cstring>
#include <iostream>

namespace {
std::vector<const CliCommand*>& registry() {
    static std::vector<const CliCommand*> commands;
    return commands;
}
} // namespace

CliCommandRegistration::CliCommandRegistration(const CliCommand& command) {
    registry().push_back(&command);
}

std::vector<const CliCommand*> GetCliCommands() {
    std::vector<const CliCommand*> commands = registry();
    std::sort(commands.begin(), commands.end(), [](const CliCommand* a, const CliCommand* b) {
        return std::strcmp(a->name, b->name) < 0;
    });
    return commands;
}

const CliCommand* FindCliCommand(const std::string& name) {
    for (const CliCommand* command : registry())
        if (name == command->name)
            return command;
    return nullptr;
}

int CliFail(const std::string& message) {
    std::cerr << "vorn-cli: " << message << std::endl;
    return kExitFailure;
}

int CliUsageError(const CliCommand& command, const std::string& message) {
    std::cerr << "vorn-cli: " << command.name << ": " << message << " (see 'vorn-cli "
              << command.name << " --help')" << std::endl;
    return kExitUsage;
}

bool CliCheckArgs(const CliCommand& command, const std::vector<std::string>& args, size_t min,
                  size_t max, int& exitCode) {
    for (const std::string& arg : args) {
        // A lone "-" is a plain argument; anything else starting with '-' is an option.
        if (arg.size() > 1 && arg[0] == '-') {
            exitCode = CliUsageError(command, "unknown option '" + arg + "'");
            return false;
        }
    }
    if (args.size() < min || args.size() > max) {
        exitCode =
            CliUsageError(command, args.size() < min ? "missing argument" : "too many arguments");
        return false;
    }
    return true;
}
