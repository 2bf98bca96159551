#include "tests/support/PrivateUserFolders.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

PrivateUserFolders::PrivateUserFolders() {
    std::string pattern = (fs::temp_directory_path() / "vorn-test-home-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return;
    m_path = pattern;
    setenv("VORN_CONFIG_DIR", (fs::path(m_path) / "config").c_str(), 1);
    setenv("VORN_DATA_DIR", (fs::path(m_path) / "data").c_str(), 1);
}

PrivateUserFolders::~PrivateUserFolders() {
    if (m_path.empty())
        return;
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}
