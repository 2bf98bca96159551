#include "common/sql/SqlConnection.h"

#include <mysql.h>
#include <errmsg.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace ODBC {

namespace {

/// A row of the text protocol: every value arrives as text and is parsed on request.
class MariaDbRecord : public ODBCRecord {
public:
    MariaDbRecord(MYSQL_ROW row, unsigned long* lengths, unsigned columns)
        : m_row(row), m_lengths(lengths), m_columns(columns) {}

    bool GetData(int column, double& out) const override {
        const char* text = value(column);
        if (!text)
            return false;
        char* end = nullptr;
        const double v = std::strtod(text, &end);
        if (end == text || *end != '\0' || !std::isfinite(v))
            return false;
        out = v;
        return true;
    }
    bool GetData(int column, int& out) const override {
        const char* text = value(column);
        if (!text)
            return false;
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(text, &end, 10);
        if (end == text || *end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX)
            return false;
        out = int(v);
        return true;
    }

private:
    const char* value(int column) const {
        if (column < 1 || unsigned(column) > m_columns || !m_row[column - 1] ||
            m_lengths[column - 1] == 0)
            return nullptr;
        return m_row[column - 1];
    }
    MYSQL_ROW m_row;
    unsigned long* m_lengths;
    unsigned m_columns;
};

bool isConnectionError(unsigned code) {
    return code == CR_SERVER_GONE_ERROR || code == CR_SERVER_LOST ||
           code == CR_CONNECTION_ERROR || code == CR_CONN_HOST_ERROR ||
           code == CR_SERVER_LOST_EXTENDED || code == CR_COMMANDS_OUT_OF_SYNC ||
           code == 1053 /* server shutdown in progress */ || code == 1927 /* connection killed */;
}

} // namespace

struct mySQLConnection::Handle {
    MYSQL* mysql = nullptr;
    ~Handle() {
        if (mysql)
            mysql_close(mysql);
    }
};

mySQLConnection::mySQLConnection() = default;
mySQLConnection::~mySQLConnection() = default;

bool mySQLConnection::Connect(const std::string& user, const std::string& password,
                              const std::string& host, int port, unsigned long flags) {
    m_user = user;
    m_password = password;
    m_host = host;
    m_port = port;
    m_flags = flags;
    return reconnect();
}

bool mySQLConnection::reconnect() {
    Disconnect();
    auto handle = std::make_unique<Handle>();
    handle->mysql = mysql_init(nullptr);
    if (!handle->mysql)
        return fail(SqlFailure::ConnectionLost, "out of memory");
    mysql_options(handle->mysql, MYSQL_OPT_CONNECT_TIMEOUT, &m_timeout);
    mysql_options(handle->mysql, MYSQL_OPT_READ_TIMEOUT, &m_timeout);
    mysql_options(handle->mysql, MYSQL_OPT_WRITE_TIMEOUT, &m_timeout);
    // No option files: the connection is exactly what the caller asked for.
    const unsigned int protocol = MYSQL_PROTOCOL_TCP;
    mysql_options(handle->mysql, MYSQL_OPT_PROTOCOL, &protocol);
    if (!mysql_real_connect(handle->mysql, m_host.c_str(), m_user.c_str(), m_password.c_str(),
                            nullptr, unsigned(m_port), nullptr,
                            m_flags | CLIENT_MULTI_RESULTS | CLIENT_MULTI_STATEMENTS))
        return fail(SqlFailure::ConnectionLost, mysql_error(handle->mysql));
    m_handle = std::move(handle);
    return succeed();
}

bool mySQLConnection::isConnected() const {
    return m_handle != nullptr;
}

void mySQLConnection::Disconnect() {
    m_handle.reset();
}

bool mySQLConnection::failFromServer() {
    const unsigned code = mysql_errno(m_handle->mysql);
    const std::string message = mysql_error(m_handle->mysql);
    if (isConnectionError(code)) {
        m_handle.reset();
        return fail(SqlFailure::ConnectionLost, message);
    }
    return fail(code == 1205 || code == 1213 ? SqlFailure::Busy : SqlFailure::Statement,
                message);
}

/// Reads every further result of the last statement: a CALL answers with at least two, and
/// the connection cannot take the next statement until all are read.
bool mySQLConnection::drainResults() {
    for (;;) {
        const int next = mysql_next_result(m_handle->mysql);
        if (next < 0)
            return true;
        if (next > 0)
            return failFromServer();
        if (MYSQL_RES* result = mysql_store_result(m_handle->mysql))
            mysql_free_result(result);
        else if (mysql_field_count(m_handle->mysql) != 0)
            return failFromServer();
    }
}

bool mySQLConnection::execute(const std::string& sql) {
    return query(sql, [](const ODBCRecord&) { return true; });
}

bool mySQLConnection::query(const std::string& sql,
                            const std::function<bool(const ODBCRecord&)>& row) {
    if (!m_handle)
        return fail(SqlFailure::ConnectionLost, "not connected");
    if (mysql_real_query(m_handle->mysql, sql.data(), sql.size()) != 0)
        return failFromServer();
    // Rows stream from the server one at a time: a large table is never held twice.
    if (MYSQL_RES* result = mysql_use_result(m_handle->mysql)) {
        const unsigned columns = mysql_num_fields(result);
        bool wanted = true;
        while (MYSQL_ROW r = mysql_fetch_row(result)) {
            if (!wanted)
                continue; // the rest must still be read
            MariaDbRecord record(r, mysql_fetch_lengths(result), columns);
            wanted = row(record);
        }
        const bool broken = mysql_errno(m_handle->mysql) != 0;
        mysql_free_result(result);
        if (broken)
            return failFromServer();
    } else if (mysql_field_count(m_handle->mysql) != 0) {
        return failFromServer();
    }
    if (!drainResults())
        return false;
    return succeed();
}

std::string mySQLConnection::describe() const {
    return "mariadb://" + m_host + ":" + std::to_string(m_port);
}

} // namespace ODBC
