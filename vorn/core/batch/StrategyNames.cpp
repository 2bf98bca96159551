#include "vorn/core/batch/StrategyNames.h"

#include "scene/Factory.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

/// Letters and digits only, lower case: "Breadth First", "breadth-first" and
/// "BreadthFirstUnfolder" minus its suffix compare equal.
std::string simplified(std::string_view name) {
    std::string s;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)))
            s += char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::string StrategyDisplayName(std::string_view className) {
    static constexpr std::array<std::string_view, 4> kVarying = {
        "CrossSectionUnfolder", "IntelligentBreadthFirstUnfolder",
        "MultipartCurvatureOrderingUnfolder", "MultiseedUnfolder"};
    std::string name(className);
    if (std::find(kVarying.begin(), kVarying.end(), className) != kVarying.end())
        name += " [~]";
    for (size_t at; (at = name.find("Unfolder")) != std::string::npos;)
        name.erase(at, 8);
    std::string spaced;
    for (char c : name) {
        if (std::isupper(static_cast<unsigned char>(c)))
            spaced += ' ';
        spaced += c;
    }
    const size_t first = spaced.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return spaced.substr(first, spaced.find_last_not_of(' ') - first + 1);
}

bool IsBatchStrategyName(std::string_view className) {
    return className.find("Unfolder") != std::string_view::npos &&
           className.find("Settings") == std::string_view::npos &&
           className.find("Automator") == std::string_view::npos && className != "Unfolder" &&
           className != "EdgeTreeUnfolder";
}

std::vector<BatchStrategy> ListBatchStrategies() {
    std::vector<BatchStrategy> strategies;
    for (Factory* factory : Factory::GetFactoryList())
        if (IsBatchStrategyName(factory->getClassName()))
            strategies.push_back({factory, StrategyDisplayName(factory->getClassName())});
    std::stable_sort(strategies.begin(), strategies.end(),
                     [](const BatchStrategy& a, const BatchStrategy& b) {
                         return a.displayName < b.displayName;
                     });
    return strategies;
}

BatchStrategy FindBatchStrategy(std::string_view name) {
    const std::vector<BatchStrategy> strategies = ListBatchStrategies();
    for (const BatchStrategy& s : strategies)
        if (s.displayName == name || s.factory->getClassName() == name)
            return s;
    const std::string wanted = simplified(name);
    for (const BatchStrategy& s : strategies)
        if (simplified(s.displayName) == wanted || simplified(s.factory->getClassName()) == wanted)
            return s;
    return {};
}
