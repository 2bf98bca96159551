#include "common/Registry.h"
#include "common/RegistryFlags.h"

#include "common/AtomicFile.h"
#include "common/SettingsFile.h"
#include "common/StatusLine.h"
#include "common/TextUtil.h"
#include "common/UserPaths.h"

#include <cerrno>
#include <mutex>

namespace {

struct RegistryCache {
    std::mutex mutex;
    bool loaded = false;
    std::string path;
    SettingsFile settings;
    std::string lastError;
};

RegistryCache& cache() {
    static RegistryCache* c = new RegistryCache; // outlives static destructors
    return *c;
}

std::string settingsPath(bool createFolder) {
    return JoinPath(GetConfigDir(createFolder), "settings.ini");
}

// Reads the file at `path`; a missing file is an empty one.
bool readSettings(const std::string& path, SettingsFile& out, std::string& error) {
    std::string text;
    if (!ReadWholeFile(path, text, &error)) {
        if (errno != ENOENT)
            return false;
        text.clear();
    }
    out = SettingsFile::Parse(text);
    return true;
}

// The cached settings of the current settings folder, read on first use and
// again whenever the folder changes. Called with the mutex held.
SettingsFile& current(RegistryCache& c) {
    std::string path = settingsPath(false);
    if (!c.loaded || path != c.path) {
        c.path = path;
        c.loaded = true;
        c.settings = SettingsFile();
        std::string error;
        if (!readSettings(path, c.settings, error))
            c.lastError = error;
    }
    return c.settings;
}

} // namespace

std::string GetRegistryString(const std::string& section, const std::string& key,
                              const std::string& def) {
    RegistryCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    const std::string* value = current(c).find(section, key);
    return value ? *value : def;
}

bool SetRegistryString(const std::string& section, const std::string& key,
                       const std::string& value) {
    return SetRegistryStrings(section, {{key, value}});
}

bool SetRegistryStrings(const std::string& section,
                        const std::vector<std::pair<std::string, std::string>>& values,
                        FileSync sync) {
    RegistryCache& c = cache();
    std::string failure;
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        for (const auto& [key, value] : values) {
            (void)value;
            if (!SettingsFile::CanStore(section, key)) {
                c.lastError = "cannot store the setting [" + section + "] " + key +
                              ": the name holds a line break, '=' or surrounding blanks";
                return false;
            }
        }
        current(c);
        // Start from the file as it is now so that values another process
        // stored meanwhile are kept.
        const std::string path = settingsPath(true);
        SettingsFile updated;
        if (!readSettings(path, updated, failure)) {
            c.lastError = failure;
        } else {
            bool changed = false;
            for (const auto& [key, value] : values) {
                const std::string* old = updated.find(section, key);
                if (!old || *old != value) {
                    updated.set(section, key, value);
                    changed = true;
                }
            }
            // All the values land in one atomic replacement, or none of them does.
            if (!changed || WriteFileAtomically(path, updated.toText(), &failure, sync)) {
                c.settings = std::move(updated);
                return true;
            }
            c.lastError = failure;
        }
    }
    StatusMessage("Cannot save settings: %s", failure.c_str());
    return false;
}

bool GetRegistryFlag(const std::string& section, const std::string& key, bool def) {
    RegistryCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    const std::string* value = current(c).find(section, key);
    return value ? *value == "true" : def;
}

void GetRegistryFlags(const std::string& section, std::initializer_list<RegistryFlagRead> reads) {
    RegistryCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    const SettingsFile& settings = current(c);
    for (const RegistryFlagRead& read : reads)
        if (const std::string* value = settings.find(section, read.key))
            *read.value = *value == "true";
}

bool SetRegistryFlag(const std::string& section, const std::string& key, bool value) {
    return SetRegistryString(section, key, value ? "true" : "false");
}

int GetProfileInt(const std::string& section, const std::string& key, int def) {
    int value = def;
    std::string text = GetRegistryString(section, key, std::string());
    return parseInt(text, value) ? value : def;
}

bool WriteProfileInt(const std::string& section, const std::string& key, int value) {
    return SetRegistryString(section, key, itoa(value));
}

void ReloadRegistry() {
    RegistryCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.loaded = false;
}

std::string GetRegistryPath() {
    return settingsPath(false);
}

std::string GetRegistryError() {
    RegistryCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.lastError;
}
