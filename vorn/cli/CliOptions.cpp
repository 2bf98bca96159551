#include "vorn/cli/CliOptions.h"

#include "vorn/cli/CliCommand.h"

#include <cerrno>
#include <cstdlib>

namespace {

const CliOption* findOption(const CliCommand& command, const std::string& arg, bool& negated) {
    for (const CliOption& option : command.options) {
        negated = false;
        if (arg == option.flag)
            return &option;
        negated =
            option.negatable && !option.value && arg == std::string("--no-") + (option.flag + 2);
        if (negated)
            return &option;
    }
    return nullptr;
}

/// Where the help column of the option list starts.
constexpr size_t kHelpColumn = 22;

} // namespace

std::optional<std::string> CliArgs::value(const std::string& flag) const {
    std::optional<std::string> last;
    for (const auto& [name, value] : given)
        if (name == flag)
            last = value;
    return last;
}

std::vector<std::string> CliArgs::values(const std::string& flag) const {
    std::vector<std::string> all;
    for (const auto& [name, value] : given)
        if (name == flag)
            all.push_back(value);
    return all;
}

std::optional<bool> CliArgs::switched(const std::string& flag) const {
    const std::optional<std::string> last = value(flag);
    if (!last)
        return std::nullopt;
    return *last == "1";
}

bool CliParseArgs(const CliCommand& command, const std::vector<std::string>& args, CliArgs& out,
                  int& exitCode) {
    for (size_t i = 0; i < args.size(); ++i) {
        bool negated = false;
        const CliOption* option = findOption(command, args[i], negated);
        if (!option) {
            out.plain.push_back(args[i]);
        } else if (!option->value) {
            out.given.emplace_back(option->flag, negated ? "0" : "1");
        } else if (i + 1 >= args.size()) {
            exitCode = CliUsageError(command, "missing value after " + args[i]);
            return false;
        } else {
            out.given.emplace_back(option->flag, args[++i]);
        }
    }
    return true;
}

std::string CliHelpText(const CliCommand& command) {
    std::string text = command.help;
    if (command.options.empty())
        return text;
    text += "\nOptions:\n";
    for (const CliOption& option : command.options) {
        std::string head = std::string("  ") + option.flag;
        if (option.value)
            head += std::string(" ") + option.value;
        if (option.negatable)
            head += std::string(", --no-") + (option.flag + 2);
        head += head.size() + 2 > kHelpColumn ? std::string("\n") : std::string();
        const size_t pad = head.back() == '\n' ? kHelpColumn : kHelpColumn - head.size();
        text += head + std::string(pad, ' ');
        for (const char* c = option.help; *c; ++c) {
            text += *c;
            if (*c == '\n')
                text += std::string(kHelpColumn, ' ');
        }
        text += '\n';
    }
    return text;
}

bool CliParseCount(const CliCommand& command, const std::string& flag, const std::string& value,
                   long min, long& out, int& exitCode) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno == ERANGE || n < min) {
        exitCode = CliUsageError(command, flag + " needs a whole number of at least " +
                                              std::to_string(min) + ", not '" + value + "'");
        return false;
    }
    out = n;
    return true;
}
