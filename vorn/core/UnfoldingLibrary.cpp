#include "vorn/core/UnfoldingLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>

namespace {

// The folder of the running program, so that an installed copy finds the
// library that was installed beside it before any other on the search path.
std::string programFolder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return {};
    std::string text(path, std::size_t(length));
    std::size_t slash = text.rfind('/');
    return slash == std::string::npos ? std::string() : text.substr(0, slash);
}

} // namespace

bool LoadUnfoldingLibrary(std::string* error) {
    // The library stays loaded for the life of the process: its factories
    // must outlive every object they built. Programs live in bin/ and
    // libraries in lib/ of the build tree, so both neighbours are tried.
    void* handle = nullptr;
    std::string folder = programFolder();
    for (const char* relative : {"/libUnfolders.so", "/../lib/libUnfolders.so"}) {
        if (!handle && !folder.empty())
            handle = dlopen((folder + relative).c_str(), RTLD_NOW | RTLD_GLOBAL);
    }
    if (!handle)
        handle = dlopen("libUnfolders.so", RTLD_NOW | RTLD_GLOBAL);
    if (!handle && error) {
        const char* reason = dlerror();
        *error = reason ? reason : "libUnfolders.so could not be loaded";
    }
    return handle != nullptr;
}
