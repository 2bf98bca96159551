#pragma once

#include <cstdint>
#include <string>

/// Replaces the file at `path` with `text` so that readers see either the
/// old or the new content, never a mix: the text goes to a temporary file in
/// the same folder, is flushed to disk and renamed over `path`. On failure
/// the old file is untouched, the temporary file removed, false returned and
/// `*error` (when given) names the file and the system's reason. A symbolic
/// link at `path` is kept and its target replaced.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);
/// The most ReadWholeFile reads: 2 GiB, room for text meshes of ten million faces and
/// more, while a mistaken path (a huge log, a disk image) fails at once with a clear
/// message instead of exhausting memory.
inline constexpr std::uint64_t kMaxReadBytes = std::uint64_t(2) << 30;

/// Reads the whole regular file into `out`; pipes, devices, sockets and folders are
/// refused without reading (they could block or never end), and so are files larger
/// than kMaxReadBytes. On failure `out` is unchanged and `*error` names the file and the
/// reason.
bool ReadWholeFile(const std::string& path, std::string& out, std::string* error);
