#pragma once

#include <string>

/// The per-user data folder: $VORN_DATA_DIR, else $XDG_DATA_HOME/vorn, else
/// ~/.local/share/vorn. Created when missing and `create` is set (failure
/// shows up when a file in it is written).
std::string GetUserDataDir(bool create = true);
/// The per-user settings folder: $VORN_CONFIG_DIR, else
/// $XDG_CONFIG_HOME/vorn, else ~/.config/vorn. Created as above.
std::string GetConfigDir(bool create = true);
/// `a` + "/" + `b`, with exactly one slash between them; an empty part gives
/// the other one.
std::string JoinPath(const std::string& a, const std::string& b);
/// Creates `path` and its missing parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path, std::string* error);
bool FileExists(const std::string& path);
