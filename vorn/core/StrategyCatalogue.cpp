#include "vorn/core/StrategyCatalogue.h"

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

bool IsStrategy(const Factory& factory) {
    return factory.isListedUnder("Unfolder");
}

std::vector<Factory*> ListStrategies() {
    std::vector<Factory*> strategies = Factory::GetFactoryList();
    std::erase_if(strategies, [](const Factory* factory) { return !IsStrategy(*factory); });
    return strategies;
}

std::vector<OfferedStrategy> ListOfferedStrategies() {
    std::vector<OfferedStrategy> strategies;
    for (Factory* factory : ListStrategies())
        if (factory->isOfferedToUsers())
            strategies.push_back({factory, StrategyDisplayName(factory->getClassName())});
    std::stable_sort(strategies.begin(), strategies.end(),
                     [](const OfferedStrategy& a, const OfferedStrategy& b) {
                         return a.displayName < b.displayName;
                     });
    return strategies;
}

OfferedStrategy FindOfferedStrategy(std::string_view name) {
    const std::vector<OfferedStrategy> strategies = ListOfferedStrategies();
    for (const OfferedStrategy& s : strategies)
        if (s.displayName == name || s.factory->getClassName() == name)
            return s;
    const std::string wanted = simplified(name);
    for (const OfferedStrategy& s : strategies)
        if (simplified(s.displayName) == wanted || simplified(s.factory->getClassName()) == wanted)
            return s;
    return {};
}

Factory* FindStrategy(std::string_view name) {
    if (Factory* exact = Factory::GetFactory(name); exact && IsStrategy(*exact))
        return exact;
    if (Factory* offered = FindOfferedStrategy(name).factory)
        return offered;
    const std::string wanted = simplified(name);
    for (Factory* factory : ListStrategies())
        if (simplified(factory->getClassName()) == wanted)
            return factory;
    return nullptr;
}

std::string UnknownStrategyMessage(std::string_view name) {
    std::string names;
    for (const OfferedStrategy& strategy : ListOfferedStrategies())
        names += (names.empty() ? "" : ", ") + strategy.displayName;
    return "unknown strategy '" + std::string(name) + "'; the strategies are: " +
           (names.empty() ? std::string("none (the unfolding library is not loaded)") : names);
}
