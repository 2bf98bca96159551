#include "common/sql/SqlConnection.h"

#include <cstdlib>

namespace ODBC {

namespace {

constexpr const char* kSqlitePrefix = "sqlite:";
constexpr const char* kMariaDbPrefix = "mariadb://";

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

bool SqlDatabaseSpec::Parse(const std::string& text, SqlDatabaseSpec& out, std::string& error) {
    SqlDatabaseSpec spec;
    if (startsWith(text, kSqlitePrefix)) {
        spec.kind = Kind::SQLite;
        spec.path = text.substr(std::string(kSqlitePrefix).size());
        if (spec.path.empty()) {
            error = "\"" + text + "\" names no file (sqlite:FILE)";
            return false;
        }
        out = spec;
        return true;
    }
    if (!startsWith(text, kMariaDbPrefix)) {
        error = "\"" + text + "\" is no database (sqlite:FILE or mariadb://HOST:PORT)";
        return false;
    }
    spec.kind = Kind::MariaDB;
    std::string rest = text.substr(std::string(kMariaDbPrefix).size());
    if (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    const size_t at = rest.rfind('@');
    if (at != std::string::npos) {
        const std::string credentials = rest.substr(0, at);
        rest = rest.substr(at + 1);
        const size_t colon = credentials.find(':');
        spec.user = credentials.substr(0, colon);
        if (colon != std::string::npos)
            spec.password = credentials.substr(colon + 1);
    }
    const size_t colon = rest.rfind(':');
    spec.host = rest.substr(0, colon);
    if (colon != std::string::npos) {
        const std::string port = rest.substr(colon + 1);
        char* end = nullptr;
        const long n = std::strtol(port.c_str(), &end, 10);
        if (port.empty() || *end != '\0' || n < 1 || n > 65535) {
            error = "\"" + text + "\": the port must be a number from 1 to 65535";
            return false;
        }
        spec.port = int(n);
    }
    if (spec.host.empty()) {
        error = "\"" + text + "\" names no host (mariadb://HOST:PORT)";
        return false;
    }
    out = spec;
    return true;
}

std::string SqlDatabaseSpec::toString() const {
    if (kind == Kind::SQLite)
        return kSqlitePrefix + path;
    std::string text = kMariaDbPrefix;
    if (!user.empty())
        text += user + "@";
    return text + host + ":" + std::to_string(port);
}

std::unique_ptr<ODBCConnection> MakeConnection(const SqlDatabaseSpec& spec) {
    if (spec.kind == SqlDatabaseSpec::Kind::SQLite) {
        auto connection = std::make_unique<SQLiteConnection>();
        connection->Open(spec.path);
        return connection;
    }
    auto connection = std::make_unique<mySQLConnection>();
    connection->Connect(spec.user, spec.password, spec.host, spec.port);
    return connection;
}

} // namespace ODBC
