#pragma once

#include <string>

/// Replaces the file at `path` with `text` so that readers see either the
/// old or the new content, never a mix: the text goes to a temporary file in
/// the same folder, is flushed to disk and renamed over `path`. On failure
/// the old file is untouched, the temporary file removed, false returned and
/// `*error` (when given) names the file and the system's reason. A symbolic
/// link at `path` is kept and its target replaced.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);
/// Reads the whole file into `out`; on failure `out` is unchanged and
/// `*error` names the file and the reason.
bool ReadWholeFile(const std::string& path, std::string& out, std::string* error);
