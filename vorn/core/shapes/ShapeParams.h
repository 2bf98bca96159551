#pragma once

#include <string>

/// Shape parameters read from the user settings: text converted like atoi/atof, so text
/// that does not parse gives 0 (the shapes then clamp it).
int SettingInt(const char* section, const char* key, const char* def);
double SettingDouble(const char* section, const char* key, const char* def);
/// Writes the number as "%i" or "%f" text.
void StoreSettingInt(const char* section, const char* key, int value);
void StoreSettingDouble(const char* section, const char* key, double value);

/// `value` limited to at least `min`; a non-finite value (NaN, infinity) gives `min`, so no
/// shape is ever built from one.
double AtLeast(double value, double min);
