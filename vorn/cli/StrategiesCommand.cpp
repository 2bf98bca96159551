// "vorn-cli strategies": every unfolding strategy the loaded library registers, with the
// names --strategy and --strategies accept.
#include "vorn/cli/CliCommand.h"
#include "vorn/core/UnfoldingLibrary.h"
#include "vorn/core/StrategyCatalogue.h"

#include "scene/Factory.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

int runStrategies(const std::vector<std::string>& args);

const CliCommand g_StrategiesCommand{
    "strategies", "list the unfolding strategies by display and class name",
    "Usage: vorn-cli strategies\n\n"
    "Prints every registered unfolding strategy: its display name (as the batch\n"
    "runner shows it; \"-\" for classes the batch runner does not offer) and its\n"
    "class name. unfold --strategy and batch --strategies take either.\n",
    runStrategies};
const CliCommandRegistration g_StrategiesRegistration(g_StrategiesCommand);

int runStrategies(const std::vector<std::string>& args) {
    int exitCode = 0;
    if (!CliCheckArgs(g_StrategiesCommand, args, 0, 0, exitCode))
        return exitCode;
    std::string loadError;
    if (!Factory::GetFactory("Unfolder") && !LoadUnfoldingLibrary(&loadError))
        return CliFail("the unfolding library is not available: " + loadError);

    // Offered strategies first, by display name; then the other classes listed under
    // "Unfolder" (the base class among them), by class name.
    std::vector<std::pair<std::string, std::string>> rows;
    for (const OfferedStrategy& strategy : ListOfferedStrategies())
        rows.emplace_back(strategy.displayName, std::string(strategy.factory->getClassName()));
    std::vector<std::string> others;
    for (Factory* factory : ListStrategies())
        if (!factory->isOfferedToUsers())
            others.emplace_back(factory->getClassName());
    std::sort(others.begin(), others.end());
    for (const std::string& name : others)
        rows.emplace_back("-", name);

    size_t width = 12;
    for (const auto& [display, className] : rows)
        width = std::max(width, display.size());
    std::printf("%-*s  %s\n", int(width), "Display name", "Class name");
    for (const auto& [display, className] : rows)
        std::printf("%-*s  %s\n", int(width), display.c_str(), className.c_str());
    return 0;
}

} // namespace
