#include "common/UserPaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

static std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

static std::string homeDir() {
    std::string home = environment("HOME");
    if (!home.empty())
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

// $<override>, else $<xdgVariable>/vorn, else ~/<fallback>/vorn.
static std::string userDir(const char* override, const char* xdgVariable, const char* fallback,
                           bool create) {
    std::string dir = environment(override);
    if (dir.empty()) {
        std::string base = environment(xdgVariable);
        if (base.empty())
            base = JoinPath(homeDir(), fallback);
        dir = JoinPath(base, "vorn");
    }
    if (create)
        MakeDirectories(dir, nullptr);
    return dir;
}

std::string GetUserDataDir(bool create) {
    return userDir("VORN_DATA_DIR", "XDG_DATA_HOME", ".local/share", create);
}

std::string GetConfigDir(bool create) {
    return userDir("VORN_CONFIG_DIR", "XDG_CONFIG_HOME", ".config", create);
}

std::string JoinPath(const std::string& a, const std::string& b) {
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    std::size_t aEnd = a.size();
    while (aEnd > 1 && a[aEnd - 1] == '/')
        --aEnd;
    std::size_t bStart = 0;
    while (bStart < b.size() && b[bStart] == '/')
        ++bStart;
    std::string joined = a.substr(0, aEnd);
    if (joined != "/")
        joined += '/';
    return joined + b.substr(bStart);
}

bool MakeDirectories(const std::string& path, std::string* error) {
    if (path.empty())
        return false;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        if (error)
            *error = path + ": not a folder";
        return false;
    }
    std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(path.substr(0, slash), error))
        return false;
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        if (error)
            *error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}
