#pragma once

#include <optional>
#include <string>
#include <vector>

struct CliCommand;

/// One option of a subcommand, declared once: the parser and the help's option list both
/// read it.
struct CliOption {
    /// "--strategy".
    const char* flag;
    /// The name of its value in the help ("NAME"); null for a switch.
    const char* value;
    /// What it does; each '\n' starts a continuation line.
    const char* help;
    /// A switch that "--no-" before its name turns off (a stored choice, for example).
    bool negatable = false;
};

/// The arguments of one run, sorted by the command's declared options.
struct CliArgs {
    /// Arguments that are no declared option, in order (unknown options among them).
    std::vector<std::string> plain;
    /// Every declared option given, in order: its flag and value ("1" or "0" for a switch).
    std::vector<std::pair<std::string, std::string>> given;

    /// The last value given for `flag`; empty when it was not given.
    std::optional<std::string> value(const std::string& flag) const;
    /// Every value given for `flag`, in order (repeatable options).
    std::vector<std::string> values(const std::string& flag) const;
    /// The last setting of the switch `flag` (false for its "--no-" form); empty when not given.
    std::optional<bool> switched(const std::string& flag) const;
};

/// Sorts `args` by `command.options`. An option that takes a value takes the next
/// argument whatever it looks like. False, with the usage error printed and `exitCode`
/// set, when the value is missing.
bool CliParseArgs(const CliCommand& command, const std::vector<std::string>& args, CliArgs& out,
                  int& exitCode);
/// The help of `command`: its text followed by the list of its options.
std::string CliHelpText(const CliCommand& command);
/// Reads a whole number of at least `min` from `value`; false with the usage error printed
/// and `exitCode` set when it is not one, is smaller or does not fit a long.
bool CliParseCount(const CliCommand& command, const std::string& flag, const std::string& value,
                   long min, long& out, int& exitCode);
