#pragma once

#include "common/AtomicFile.h"

#include <string>
#include <utility>
#include <vector>

/// Per-user settings: text values under (section, key), kept in the INI file
/// GetConfigDir()/settings.ini. Section names are used as given, backslashes
/// included ("Settings\MetaSurface"); the empty section is legal. Section and
/// key names compare without regard to ASCII case. Every change rewrites the
/// file atomically. All functions are thread-safe.
///
/// When VORN_CONFIG_DIR (or the folder derived from XDG_CONFIG_HOME or HOME)
/// changes, the next call reads the settings of the new folder.

/// The stored value, or `def` when the key is absent.
std::string GetRegistryString(const std::string& section, const std::string& key,
                              const std::string& def);
/// Stores `value` (any text; line breaks are escaped in the file). Returns
/// false and changes nothing when the section or key name holds a line break
/// or '=' in the key, or when the file cannot be written (the reason is shown
/// on the status line and kept in GetRegistryError()).
bool SetRegistryString(const std::string& section, const std::string& key,
                       const std::string& value);
/// Stores several keys of one section in one atomic rewrite of the file: settings
/// that belong together (a dialog's choices) are all saved, or none is. Values that
/// change many times a second (a slider's) pass FileSync::Quick: the file is still
/// replaced whole, but the caller does not wait for the disk.
bool SetRegistryStrings(const std::string& section,
                        const std::vector<std::pair<std::string, std::string>>& values,
                        FileSync sync = FileSync::Durable);
/// True exactly when the stored text is "true"; `def` only when the key is
/// absent.
bool GetRegistryFlag(const std::string& section, const std::string& key, bool def);
/// Stores "true" or "false".
bool SetRegistryFlag(const std::string& section, const std::string& key, bool value);
/// The application's profile integers (stored as decimal text in the same
/// file); `def` when the key is absent or its text is not an integer.
int GetProfileInt(const std::string& section, const std::string& key, int def);
bool WriteProfileInt(const std::string& section, const std::string& key, int value);
/// Forgets the cached settings; the next call reads the file again.
void ReloadRegistry();
/// The full path of the settings file in use.
std::string GetRegistryPath();
/// The reason of the last failed write (empty when none failed).
std::string GetRegistryError();
