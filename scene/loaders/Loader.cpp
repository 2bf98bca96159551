#include "scene/loaders/Loader.h"

#include <cctype>

VORN_DEFINE_ABSTRACT_FACTORY(Loader, "")

bool Loader::handles(std::string_view fileName) const {
    std::string_view ext = getExtension();
    if (fileName.size() < ext.size())
        return false;
    std::string_view tail = fileName.substr(fileName.size() - ext.size());
    for (size_t i = 0; i < ext.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) !=
            std::tolower(static_cast<unsigned char>(ext[i])))
            return false;
    return true;
}

bool Loader::fail(const std::string& path, int line, const std::string& message) {
    m_error = line > 0 ? path + ":" + std::to_string(line) + ": " + message : path + ": " + message;
    return false;
}

bool Loader::fail(std::string message) {
    m_error = std::move(message);
    return false;
}
