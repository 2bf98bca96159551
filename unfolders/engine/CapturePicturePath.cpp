#include "unfolders/engine/CapturePicturePath.h"

#include "common/StatusLine.h"
#include "common/UserPaths.h"

#include <cstdio>

std::string NextCapturePicturePath(const std::string& prefix) {
    const std::string folder = JoinPath(GetUserDataDir(), "Capture");
    std::string error;
    if (!MakeDirectories(folder, &error)) {
        StatusMessage("CaptureScreen error : '%s'", error.c_str());
        return {};
    }
    std::string path;
    for (int n = 0; path.empty() || FileExists(path); ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "%.40s%03i.png", prefix.c_str(), n);
        path = JoinPath(folder, name);
    }
    return path;
}
