#pragma once

#include <cstdint>
#include <string>

/// How long a replacement waits for the disk.
enum class FileSync {
    /// The new content, and then its name, are on disk before the call returns.
    Durable,
    /// Whole but not yet on disk: for files rewritten many times a run (the batch table
    /// after every test) or drawn again at will (pictures), where a flush each time would
    /// cost more than the work that made them.
    Quick,
};

/// Replaces the file at `path` with `text` so that readers see either the
/// old or the new content, never a mix: the text goes to a temporary file in
/// the same folder and is renamed over `path`. On failure the old file is
/// untouched, the temporary file removed, false returned and `*error` (when
/// given) names the file and the system's reason. A symbolic link at `path`
/// is kept and its target replaced; the replaced file's permissions are kept.
/// Temporary files that an interrupted write of the same file left behind (their process
/// is gone) are removed the first time a process writes that file.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error,
                         FileSync sync = FileSync::Durable);
/// Puts the finished file `from` in the place of `path` with the same care as
/// `WriteFileAtomically` (links kept, permissions kept, old or new content, never
/// a mix). `from` is gone afterwards, whether the move succeeded or not; on failure
/// `path` is untouched and `*error` names it and the reason. Not flushed to disk.
bool MoveFileOver(const std::string& from, const std::string& path, std::string* error);
/// The most ReadWholeFile reads: 2 GiB, room for text meshes of ten million faces and
/// more, while a mistaken path (a huge log, a disk image) fails at once with a clear
/// message instead of exhausting memory.
inline constexpr std::uint64_t kMaxReadBytes = std::uint64_t(2) << 30;

/// Reads the whole regular file into `out`; pipes, devices, sockets and folders are
/// refused without reading (they could block or never end), and so are files larger
/// than kMaxReadBytes. On failure `out` is unchanged and `*error` names the file and the
/// reason.
bool ReadWholeFile(const std::string& path, std::string& out, std::string* error);
