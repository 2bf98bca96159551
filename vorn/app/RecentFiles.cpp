#include "vorn/app/RecentFiles.h"

#include "common/Registry.h"

#include <algorithm>
#include <filesystem>

namespace {
const char* const kSection = "Recent File List";

std::string keyOf(size_t index) {
    return "File" + std::to_string(index + 1);
}

std::string absolute(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}
} // namespace

RecentFiles RecentFiles::Load() {
    RecentFiles list;
    for (size_t i = 0; i < kCapacity; ++i) {
        const std::string path = GetRegistryString(kSection, keyOf(i), "");
        if (!path.empty() &&
            std::find(list.m_paths.begin(), list.m_paths.end(), path) == list.m_paths.end())
            list.m_paths.push_back(path);
    }
    return list;
}

bool RecentFiles::add(const std::string& path) {
    const std::string full = absolute(path);
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), full), m_paths.end());
    m_paths.insert(m_paths.begin(), full);
    if (m_paths.size() > kCapacity)
        m_paths.resize(kCapacity);
    return store();
}

bool RecentFiles::remove(const std::string& path) {
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
    return store();
}

bool RecentFiles::store() const {
    bool stored = true;
    // Unused keys are emptied rather than left holding a dropped entry (unchanged keys cost
    // no write).
    for (size_t i = 0; i < kCapacity; ++i)
        stored =
            SetRegistryString(kSection, keyOf(i), i < m_paths.size() ? m_paths[i] : "") && stored;
    return stored;
}

std::string RecentFiles::menuText(size_t index) const {
    const std::string& path = m_paths.at(index);
    const std::string name = fileNameOf(path);
    const bool nameIsUnique =
        std::count_if(m_paths.begin(), m_paths.end(),
                      [&](const std::string& p) { return fileNameOf(p) == name; }) == 1;
    std::string shown;
    for (char c : nameIsUnique ? name : path) {
        shown += c;
        if (c == '&')
            shown += '&';
    }
    return "&" + std::to_string(index + 1) + " " + shown;
}
