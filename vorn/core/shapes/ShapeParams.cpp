#include "vorn/core/shapes/ShapeParams.h"

#include "common/Registry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

int SettingInt(const char* section, const char* key, const char* def) {
    return std::atoi(GetRegistryString(section, key, def).c_str());
}

double SettingDouble(const char* section, const char* key, const char* def) {
    return std::atof(GetRegistryString(section, key, def).c_str());
}

ShapeSetting IntSetting(const char* key, int value) {
    char text[32];
    std::snprintf(text, sizeof text, "%i", value);
    return {key, text};
}

ShapeSetting DoubleSetting(const char* key, double value) {
    char text[512];
    std::snprintf(text, sizeof text, "%f", value);
    return {key, text};
}

void StoreSettings(const char* section, const std::vector<ShapeSetting>& values) {
    SetRegistryStrings(section, values, FileSync::Quick);
}

double AtLeast(double value, double min) {
    return !std::isfinite(value) || value < min ? min : value;
}
