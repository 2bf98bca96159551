#pragma once

#include <string>
#include <vector>

/// The recent-file list of both File menus: the last files opened or saved, newest first,
/// at most `kCapacity`, kept in the settings (section "Recent File List", keys "File1" to
/// "File4") so that every run of the workbench sees the same list.
class RecentFiles {
public:
    static constexpr size_t kCapacity = 4;

    /// Reads the stored list (empty and duplicate entries dropped).
    static RecentFiles Load();

    /// Puts `path` (made absolute) first, dropping an older entry of the same file and the
    /// entry beyond the capacity, and stores the list. False when the settings could not be
    /// written (the list still changes for this run).
    bool add(const std::string& path);
    /// Drops `path` (a file that could no longer be opened) and stores the list.
    bool remove(const std::string& path);

    const std::vector<std::string>& getPaths() const { return m_paths; }

    /// The menu text of entry `index` (from 0): "&1 name", the file name alone when it is
    /// unique in the list, else the full path, with "&" doubled so it is not a shortcut.
    std::string menuText(size_t index) const;

private:
    bool store() const;

    std::vector<std::string> m_paths;
};
