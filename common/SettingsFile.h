#pragma once

#include <map>
#include <string>
#include <string_view>

/// The in-memory form of the settings INI text: sections of key/value pairs.
/// Section and key names compare without regard to ASCII case and keep the
/// spelling they were first stored with.
///
/// Text form: keys of the unnamed section come first, then one "[name]"
/// header per section; each entry is "key=value". In values, backslash,
/// line feed and carriage return are written as "\\", "\n" and "\r".
class SettingsFile {
public:
    /// Reads INI text; comment lines (";" or "#") and lines without "=" are
    /// skipped.
    static SettingsFile Parse(std::string_view text);
    std::string toText() const;

    const std::string* find(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);

    /// True when (section, key) can be written so that it reads back the same.
    static bool CanStore(const std::string& section, const std::string& key);

private:
    struct CaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using Section = std::map<std::string, std::string, CaseLess>;
    std::map<std::string, Section, CaseLess> m_sections;
};
