#pragma once

#include <functional>
#include <string>

/// The save-file dialog a panel opens ("Browse..."), supplied by the host: it shows the
/// dialog starting from `start`, adds `extension` when the user typed none, hides read-only
/// files and asks before overwriting. Returns the chosen path, or empty when cancelled.
using SaveFileChooser = std::function<std::string(const std::string& start,
                                                  const std::string& extension)>;

/// Installs the host's dialog; an empty function removes it.
void SetSaveFileChooser(SaveFileChooser chooser);
/// Asks through the installed dialog; empty without a host dialog or when cancelled.
std::string ChooseSaveFile(const std::string& start, const std::string& extension);
