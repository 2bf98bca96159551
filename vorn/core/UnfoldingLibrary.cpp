#include "vorn/core/UnfoldingLibrary.h"

#include <dlfcn.h>

bool LoadUnfoldingLibrary(std::string* error) {
    // The library stays loaded for the life of the process: its factories
    // must outlive every object they built.
    void* handle = dlopen("libUnfolders.so", RTLD_NOW | RTLD_GLOBAL);
    if (!handle && error) {
        const char* reason = dlerror();
        *error = reason ? reason : "libUnfolders.so could not be loaded";
    }
    return handle != nullptr;
}
