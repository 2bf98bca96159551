#pragma once

#include <string>

/// While alive, this process's settings and data folders (VORN_CONFIG_DIR and
/// VORN_DATA_DIR) are fresh folders of its own, removed with their content at the
/// end. Test processes run side by side, so none may see what another stored.
class PrivateUserFolders {
public:
    PrivateUserFolders();
    ~PrivateUserFolders();
    PrivateUserFolders(const PrivateUserFolders&) = delete;
    PrivateUserFolders& operator=(const PrivateUserFolders&) = delete;

    /// The folder holding both; empty when it could not be made.
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};
