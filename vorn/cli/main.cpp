// vorn-cli: the headless front end. "vorn-cli COMMAND ARGS..." runs one
// subcommand; each subcommand lives in its own source file.
#include "vorn/cli/CliCommand.h"
#include "vorn/core/UnfoldingLibrary.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

void printOverallHelp(std::ostream& out) {
    out << "Usage: vorn-cli COMMAND [ARGS...]\n"
           "       vorn-cli COMMAND --help\n"
           "       vorn-cli --version\n\n"
           "Commands:\n";
    for (const CliCommand* command : GetCliCommands()) {
        std::string name = command->name;
        name.resize(std::max<size_t>(name.size() + 2, 14), ' ');
        out << "  " << name << command->summary << "\n";
    }
}

bool isHelpFlag(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printOverallHelp(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--version") {
        std::cout << "vorn-cli " << VORN_VERSION << "\n";
        return 0;
    }
    if (isHelpFlag(args[0]) || (args[0] == "help" && args.size() == 1)) {
        printOverallHelp(std::cout);
        return 0;
    }
    std::string name = args[0] == "help" ? args[1] : args[0];
    const CliCommand* command = FindCliCommand(name);
    if (!command)
        return CliFail("unknown command '" + name + "' (see 'vorn-cli --help')"), kExitUsage;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    // "--help" anywhere among the arguments ("unfold model.off --help") asks for help.
    if (args[0] == "help" || std::any_of(rest.begin(), rest.end(), isHelpFlag)) {
        std::cout << CliHelpText(*command);
        return 0;
    }
    // Strategies and other optional classes register themselves when their
    // library loads; without it the mesh commands still work.
    LoadUnfoldingLibrary();
    try {
        return command->run(rest);
    } catch (const std::bad_alloc&) {
        // Say what happened instead of the runtime's abort message and core dump.
        return CliFail("out of memory: the model or the work asked of it is too large for this "
                       "machine");
    }
}
