#include "vorn/core/papercraft/PaperPagePath.h"

std::string PaperPagePath(const std::string& path, int page, int pageCount) {
    if (pageCount <= 1)
        return path;
    const size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = path.size();
    return path.substr(0, dot) + "-" + std::to_string(page + 1) + path.substr(dot);
}
