// One connection to a server through the ODBC driver manager; shared by the
// sources of the provider, not part of its interface.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/ado/ado.h"

namespace zolt::odbc {

struct LinkSettings {
    std::string driver_text;      // the connection string the driver receives
    std::string password;         // kept out of every message
    long login_timeout = 15;      // seconds
    long statement_timeout = 30;  // seconds
};

class Link {
public:
    // Logs in; a refusal raises a provider error with the driver's words.
    explicit Link(std::shared_ptr<const LinkSettings> settings);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Runs one statement text and answers its first result set with columns
    // (a script or a procedure may make results without columns first). A
    // failure raises a provider error; one that shows the connection is lost
    // also marks the link broken.
    ado::ResultSet execute(const std::string& sql);

    // False when the link is broken, or when the server may have dropped it
    // (a restart, an idle timeout, a terminated backend: it sat unused a
    // while, or the server wrote to it unasked) and a round trip shows that
    // it did. A link in use is not asked.
    bool usable();

    bool broken() const { return broken_; }

private:
    void release();
    [[noreturn]] void raise(SQLSMALLINT handle_type, SQLHANDLE handle);
    ado::ResultSet read_result();

    std::shared_ptr<const LinkSettings> settings_;
    SQLHDBC connection_ = SQL_NULL_HDBC;
    SQLHSTMT statement_ = SQL_NULL_HSTMT;
    bool broken_ = false;
    int socket_ = -1;  // the driver's socket to the server, when it could be told apart
    std::chrono::steady_clock::time_point last_used_;
};

}  // namespace zolt::odbc
