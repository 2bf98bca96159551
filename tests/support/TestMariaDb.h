#pragma once

#include <string>

/// The throwaway MariaDB server of the tests (scripts/test-mariadb.sh). Under ctest a fixture
/// starts one server for the whole run in build/test-mariadb; a test program run by hand
/// starts its own on first use and stops it at exit.
namespace testsupport {

/// "mariadb://127.0.0.1:PORT" of the running server; empty, with the reason in `why`, when
/// no server can be had (not installed, or it would not start).
std::string TestMariaDbUrl(std::string& why);
/// Ends the server at once, as a crash would.
void KillTestMariaDb();
/// Starts it again on the same port and data; false when it would not start.
bool RestartTestMariaDb();
/// Runs `sql` as the server's administrator; false when it failed.
bool RunTestMariaDbSql(const std::string& sql);

} // namespace testsupport
