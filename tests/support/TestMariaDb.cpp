#include "tests/support/TestMariaDb.h"

#include "tests/support/FileText.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace testsupport {

namespace {

std::string quote(const std::string& text) {
    return "'" + text + "'";
}

std::string script() {
    return std::string(VORN_TEST_SOURCE_DIR) + "/scripts/test-mariadb.sh";
}

/// A server this process started itself, stopped when the process ends.
struct OwnServer {
    std::string dir;
    ~OwnServer() {
        if (!dir.empty())
            std::system((quote(script()) + " stop " + quote(dir) + " >/dev/null 2>&1").c_str());
    }
};

std::string serverDir() {
    // The server the ctest fixture started for the whole run, when there is one.
    const std::string fixture = VORN_TEST_MARIADB_FIXTURE_DIR;
    if (std::filesystem::exists(fixture + "/port") ||
        std::filesystem::exists(fixture + "/unavailable"))
        return fixture;
    static OwnServer own;
    if (own.dir.empty()) {
        own.dir = (std::filesystem::temp_directory_path() /
                   ("vorn-mariadb-" + std::to_string(getpid())))
                      .string();
        std::system((quote(script()) + " start " + quote(own.dir) + " >/dev/null 2>&1").c_str());
    }
    return own.dir;
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

std::string TestMariaDbUrl(std::string& why) {
    const std::string dir = serverDir();
    if (std::filesystem::exists(dir + "/unavailable")) {
        why = trimmed(ReadFileText(dir + "/unavailable"));
        return "";
    }
    const std::string port = trimmed(ReadFileText(dir + "/port"));
    if (port.empty()) {
        why = "the test server in " + dir + " was not started";
        return "";
    }
    return "mariadb://127.0.0.1:" + port;
}

void KillTestMariaDb() {
    std::system((quote(script()) + " kill " + quote(serverDir())).c_str());
}

bool RestartTestMariaDb() {
    const std::string dir = serverDir();
    std::system((quote(script()) + " start " + quote(dir) + " >/dev/null 2>&1").c_str());
    return !std::filesystem::exists(dir + "/unavailable");
}

bool RunTestMariaDbSql(const std::string& sql) {
    const std::string command = "mariadb --no-defaults --socket=" +
                                quote(serverDir() + "/mysqld.sock") + " -uroot -e " +
                                quote(sql) + " >/dev/null";
    return std::system(command.c_str()) == 0;
}

} // namespace testsupport
