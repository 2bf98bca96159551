#include "vorn/core/batch/BatchSettings.h"

#include "common/Registry.h"
#include "common/UserPaths.h"
#include "vorn/core/batch/BatchPlan.h"

namespace {

const char* const kSection = "Settings";

} // namespace

BatchSettings ReadBatchSettings() {
    BatchSettings s;
    const std::string defaultPath = JoinPath(GetUserDataDir(false), "batch");
    s.path = GetRegistryString(kSection, "UnfoldAMatic/Path", defaultPath);
    s.modelPath =
        GetRegistryString(kSection, "UnfoldAMatic/ModelPath", JoinPath(defaultPath, "models"));
    s.writePdfs = GetRegistryFlag(kSection, "UnfoldAMatic/WritePDFs", false);
    s.varyRandoms = GetRegistryFlag(kSection, "UnfoldAMatic/VaryRandoms", false);
    s.captureFails = GetRegistryFlag(kSection, "UnfoldAMatic/CaptureFails", false);
    s.filter = GetRegistryString(kSection, "UnfoldAMatic/Filter", "");
    s.tests = GetRegistryString(kSection, "UnfoldAMatic/Tests", "");
    return s;
}

bool WriteBatchSettings(const BatchSettings& s) {
    auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    return SetRegistryStrings(kSection, {{"UnfoldAMatic/Filter", s.filter},
                                         {"UnfoldAMatic/Tests", s.tests},
                                         {"UnfoldAMatic/Path", s.path},
                                         {"UnfoldAMatic/ModelPath", s.modelPath},
                                         {"UnfoldAMatic/WritePDFs", flag(s.writePdfs)},
                                         {"UnfoldAMatic/VaryRandoms", flag(s.varyRandoms)},
                                         {"UnfoldAMatic/CaptureFails", flag(s.captureFails)}});
}

BatchSettings BatchSettingsFrom(const BatchOptions& options) {
    BatchSettings s;
    s.path = StripTrailingSeparators(options.recordTo);
    s.modelPath = StripTrailingSeparators(options.modelPath);
    s.writePdfs = options.writePdfs;
    s.varyRandoms = options.varyRandoms;
    s.captureFails = options.captureFails;
    for (const OfferedStrategy& strategy : options.strategies)
        s.filter += "[" + strategy.displayName + "]";
    for (const std::string& test : options.tests)
        s.tests += "[" + test + "]";
    return s;
}

std::vector<std::string> SplitBracketList(const std::string& text) {
    std::vector<std::string> items;
    size_t at = 0;
    while ((at = text.find('[', at)) != std::string::npos) {
        // Display names hold brackets of their own ("Multiseed [~]"), so an
        // item ends at the "]" that is followed by "[" or the end.
        size_t end = text.find("][", at + 1);
        if (end == std::string::npos)
            end = text.rfind(']');
        if (end == std::string::npos || end <= at)
            break;
        items.push_back(text.substr(at + 1, end - at - 1));
        at = end + 1;
    }
    return items;
}

bool BracketListHas(const std::string& list, const std::string& item) {
    return list.find("[" + item + "]") != std::string::npos;
}
