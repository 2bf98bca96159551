#include "common/SettingsFile.h"

#include "common/TextUtil.h"

#include <algorithm>

namespace {

std::string escapeValue(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Unknown escapes are kept as written, so a hand-edited "C:\Models" survives.
std::string unescapeValue(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (next == '\\' || next == 'n' || next == 'r') {
                out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

} // namespace

bool SettingsFile::CaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

SettingsFile SettingsFile::Parse(std::string_view text) {
    SettingsFile file;
    std::string section;
    for (const std::string& rawLine : split(text, '\n')) {
        std::string_view line = rawLine;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string trimmed = trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#')
            continue;
        if (trimmed.front() == '[' && trimmed.back() == ']') {
            section = trimmed.substr(1, trimmed.size() - 2);
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string key = trim(line.substr(0, equals));
        // The value is taken verbatim: blanks around it are part of it.
        file.m_sections[section][key] = unescapeValue(line.substr(equals + 1));
    }
    return file;
}

std::string SettingsFile::toText() const {
    std::string out;
    auto writeEntries = [&out](const Section& entries) {
        for (const auto& [key, value] : entries)
            out += key + "=" + escapeValue(value) + "\n";
    };
    // The unnamed section has no header, so it must come first.
    if (auto it = m_sections.find(std::string()); it != m_sections.end())
        writeEntries(it->second);
    for (const auto& [name, entries] : m_sections) {
        if (name.empty() || entries.empty())
            continue;
        out += "[" + name + "]\n";
        writeEntries(entries);
    }
    return out;
}

const std::string* SettingsFile::find(const std::string& section, const std::string& key) const {
    auto s = m_sections.find(section);
    if (s == m_sections.end())
        return nullptr;
    auto k = s->second.find(key);
    return k == s->second.end() ? nullptr : &k->second;
}

void SettingsFile::set(const std::string& section, const std::string& key,
                       const std::string& value) {
    m_sections[section][key] = value;
}

bool SettingsFile::CanStore(const std::string& section, const std::string& key) {
    if (section.find_first_of("\r\n") != std::string::npos || trim(section) != section)
        return false;
    if (key.find_first_of("\r\n=") != std::string::npos || trim(key) != key)
        return false;
    return key.empty() || (key[0] != '[' && key[0] != ';' && key[0] != '#');
}
