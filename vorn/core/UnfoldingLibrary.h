#pragma once

#include <string>

/// Loads the unfolding library ("libUnfolders.so") by name, as the programs
/// do at start-up: loading it registers its factories (strategies and their
/// panels). Loading twice is harmless. Returns false, with the loader's reason
/// in `*error` when given, when the library is not there; callers that can
/// work without strategies ignore that.
bool LoadUnfoldingLibrary(std::string* error = nullptr);
