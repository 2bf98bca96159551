#pragma once

#include <string>
#include <utility>
#include <vector>

/// Shape parameters read from the user settings: text converted like atoi/atof, so text
/// that does not parse gives 0 (the shapes then clamp it).
int SettingInt(const char* section, const char* key, const char* def);
double SettingDouble(const char* section, const char* key, const char* def);
/// A setting and its text as stored: the number as "%i" or "%f" text.
using ShapeSetting = std::pair<std::string, std::string>;
ShapeSetting IntSetting(const char* key, int value);
ShapeSetting DoubleSetting(const char* key, double value);
/// Stores a shape's settings of one section in one rewrite of the settings file. Every
/// slider move stores them, so the rewrite does not wait for the disk: a slider would
/// otherwise stall on every step.
void StoreSettings(const char* section, const std::vector<ShapeSetting>& values);

/// `value` limited to at least `min`; a non-finite value (NaN, infinity) gives `min`, so no
/// shape is ever built from one.
double AtLeast(double value, double min);
