// Runs the built vorn-cli program in a shell and captures what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/FileText.h"

struct CliResult {
    int exitCode;
    std::string out;
    std::string err;
};

/// Runs "vorn-cli <args>" (args already quoted for the shell), with its
/// output captured in files under `dir`.
inline CliResult runCli(const std::string& args, const std::filesystem::path& dir,
                        const std::string& environment = "") {
    const std::filesystem::path out = dir / "out.txt", err = dir / "err.txt";
    const std::string command = environment + " '" + VORN_CLI_PATH + "' " + args + " >'" +
                                out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(out), ReadFileText(err)};
}
