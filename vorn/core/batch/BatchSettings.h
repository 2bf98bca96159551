#pragma once

#include <string>
#include <vector>

struct BatchOptions;

/// The batch runner's remembered choices, kept under "UnfoldAMatic/..." in
/// section "Settings".
struct BatchSettings {
    std::string path;      ///< "Record to"
    std::string modelPath; ///< "Find models in"
    bool writePdfs = false;
    bool varyRandoms = false;
    bool captureFails = false;
    /// Chosen strategies and tests, each as "[" + text + "]", concatenated.
    std::string filter;
    std::string tests;
};

/// The stored choices, with the defaults for keys never stored: results go
/// to "batch" in the user's data folder, models are found in its "models".
BatchSettings ReadBatchSettings();
/// Stores every key, as "Go" does; false when the settings could not be written.
bool WriteBatchSettings(const BatchSettings& settings);
/// The choices of `options` in stored form.
BatchSettings BatchSettingsFrom(const BatchOptions& options);

/// The items of a "[a][b]..." list, in order.
std::vector<std::string> SplitBracketList(const std::string& text);
/// True when "[" + item + "]" occurs in `list`.
bool BracketListHas(const std::string& list, const std::string& item);
