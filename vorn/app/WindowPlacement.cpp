#include "vorn/app/WindowPlacement.h"

#include "common/Registry.h"

#include <cstdio>

namespace {
const char* const kSection = "";
const char* const kKey = "WindowPlacement";
} // namespace

WindowPlacement WindowPlacement::Parse(const std::string& text) {
    WindowPlacement placement;
    int l = 0, t = 0, r = 0, b = 0;
    if (std::sscanf(text.c_str(), "%i,%i,%i,%i,", &l, &t, &r, &b) == 4) {
        placement.left = l;
        placement.top = t;
        placement.right = r;
        placement.bottom = b;
        placement.hasRect = true;
    }
    placement.maximized = text.find("max") != std::string::npos;
    return placement;
}

std::string WindowPlacement::Format(int left, int top, int right, int bottom, bool maximized) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%i, %i, %i, %i, %s", left, top, right, bottom,
                  maximized ? "max" : "normal");
    return buffer;
}

WindowPlacement WindowPlacement::Load() {
    return Parse(GetRegistryString(kSection, kKey, ""));
}

void WindowPlacement::Store(int left, int top, int right, int bottom, bool maximized) {
    SetRegistryString(kSection, kKey, Format(left, top, right, bottom, maximized));
}
