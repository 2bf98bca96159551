#include "vorn/cli/CliDocument.h"

#include "scene/SceneObj.h"
#include "vorn/cli/CliCommand.h"
#include "vorn/core/SceneDocument.h"

#include <cctype>
#include <iostream>

bool CliOpenDocument(SceneDocument& document, const std::string& path) {
    std::string error;
    if (!document.open(path, error)) {
        CliFail(error);
        return false;
    }
    if (!document.getWarning().empty())
        std::cerr << "vorn-cli: warning: " << document.getWarning() << std::endl;
    SceneObj::ProcessDelayedOperations();
    return true;
}

std::string CliExtensionOf(const std::string& path) {
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}
