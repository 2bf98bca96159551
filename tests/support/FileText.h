#pragma once

#include <filesystem>
#include <string>

/// The whole content of the file at `path`, byte for byte; empty when it cannot be read.
std::string ReadFileText(const std::filesystem::path& path);
