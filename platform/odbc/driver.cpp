// Connections through the ODBC driver manager: login, statements, typed
// results and the driver's diagnostics. Texts cross the interface as UTF-16
// (the wide functions), so that any driver, ANSI or Unicode, sees the same
// characters whatever the locale.
#include "platform/odbc/driver.h"

#include <dirent.h>
#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/odbc/odbc.h"

namespace zolt::odbc {

using automation::Variant;

namespace {

// A link unused for longer than this is asked whether it is still alive
// before its next statement.
constexpr auto kIdleBeforeCheck = std::chrono::milliseconds(250);

// ---- sockets -----------------------------------------------------------------

// The process's open sockets.
std::vector<int> open_sockets() {
    std::vector<int> sockets;
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr)
        return sockets;
    const int own = dirfd(folder);
    while (const dirent* entry = readdir(folder)) {
        struct stat status{};
        const int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd != own && fstat(fd, &status) == 0 && S_ISSOCK(status.st_mode))
            sockets.push_back(fd);
    }
    closedir(folder);
    return sockets;
}

// The one socket among after that is not among before, or -1. Another
// thread's login at the same moment can blur the difference; the socket is
// only ever polled, so a wrong one costs at most a needless check.
int new_socket(const std::vector<int>& before, const std::vector<int>& after) {
    int found = -1;
    for (const int fd : after) {
        if (std::find(before.begin(), before.end(), fd) != before.end())
            continue;
        if (found != -1)
            return -1;
        found = fd;
    }
    return found;
}

// Whether the server wrote to an idle link or closed it: a server that ends
// a session (a shutdown, a terminated backend) says so and hangs up.
bool server_spoke(int socket) {
    if (socket < 0)
        return false;
    pollfd watch{socket, POLLIN | POLLRDHUP, 0};
    return poll(&watch, 1, 0) > 0;
}

// ---- texts -----------------------------------------------------------------

std::u16string to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        char32_t code = 0xFFFD;
        std::size_t length = 1;
        if (byte < 0x80) {
            code = byte;
        } else {
            const std::size_t expected = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 0;
            if (expected && i + expected <= text.size()) {
                char32_t value = byte & (0x7F >> expected);
                bool valid = true;
                for (std::size_t k = 1; k < expected; ++k) {
                    const auto next = static_cast<unsigned char>(text[i + k]);
                    valid = valid && (next & 0xC0) == 0x80;
                    value = (value << 6) | (next & 0x3F);
                }
                if (valid) {
                    code = value;
                    length = expected;
                }
            }
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}

std::string to_utf8(const SQLWCHAR* text, std::size_t length) {
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

SQLWCHAR* wide(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }

// ---- the driver manager ------------------------------------------------------

SQLHENV environment() {
    static const SQLHENV handle = [] {
        SQLHENV env = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)) ||
            !SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)))
            throw automation::AutomationError(ado::err::kProviderError, "The ODBC driver manager is not usable.",
                                              "Provider");
        return env;
    }();
    return handle;
}

struct Diagnostic {
    std::string state;    // five characters
    std::string message;  // the driver's words on one line
};

Diagnostic first_diagnostic(SQLSMALLINT handle_type, SQLHANDLE handle) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::vector<SQLWCHAR> message(1024);
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRecW(handle_type, handle, 1, state, &native, message.data(),
                                        static_cast<SQLSMALLINT>(message.size()), &length);
    if (!SQL_SUCCEEDED(rc))
        return {"HY000", "The ODBC driver reported an error without a description."};
    Diagnostic diagnostic{to_utf8(state, 5), {}};
    const std::string text = to_utf8(message.data(), std::min<std::size_t>(length, message.size() - 1));
    // Drivers end lines and add blanks freely; a message is shown on one line.
    bool blank = false;
    for (const char c : text) {
        const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t';
        if (space && !diagnostic.message.empty())
            blank = true;
        if (space)
            continue;
        if (blank)
            diagnostic.message.push_back(' ');
        blank = false;
        diagnostic.message.push_back(c);
    }
    return diagnostic;
}

// A message with every occurrence of the password hidden.
std::string hidden(std::string message, const std::string& password) {
    for (std::size_t at = 0; !password.empty() && (at = message.find(password, at)) != std::string::npos; at += 3)
        message.replace(at, password.size(), "***");
    return message;
}

// Connection exceptions (08), and the server ending the session (57P01 to
// 57P03: shut down, crashed, not accepting connections yet).
bool connection_lost(const std::string& state) { return state.starts_with("08") || state.starts_with("57P0"); }

// ---- values ------------------------------------------------------------------

enum class Kind { Integer, Exact, Real, Bit, Timestamp, Time, Text };

Kind kind_of(SQLSMALLINT type) {
    switch (type) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        return Kind::Integer;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return Kind::Exact;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return Kind::Real;
    case SQL_BIT:
        return Kind::Bit;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP:
        return Kind::Timestamp;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return Kind::Time;
    default:
        return Kind::Text;
    }
}

// Integers as the embedded engine gives them: a Long when it fits.
Variant integer_value(int64_t value) {
    if (value >= INT32_MIN && value <= INT32_MAX)
        return Variant(static_cast<int32_t>(value));
    return Variant(value);
}

// An exact number read as text: a whole number as an integer, any other as a
// Double.
Variant exact_value(const std::string& text) {
    int64_t integer = 0;
    const char* end = text.data() + text.size();
    if (auto [ptr, ec] = std::from_chars(text.data(), end, integer); ec == std::errc() && ptr == end)
        return integer_value(integer);
    double real = 0;
    if (auto [ptr, ec] = std::from_chars(text.data(), end, real); ec == std::errc() && ptr == end)
        return Variant(real);
    return Variant(text);
}

}  // namespace

// ---- statement capture ---------------------------------------------------------

namespace {

struct Capture {
    std::atomic<bool> on{false};
    std::mutex mutex;
    std::vector<std::string> texts;
};

Capture& captured() {
    static Capture capture;
    return capture;
}

}  // namespace

namespace capture {

void start() {
    std::lock_guard lock(captured().mutex);
    captured().texts.clear();
    captured().on = true;
}

std::vector<std::string> stop() {
    std::lock_guard lock(captured().mutex);
    captured().on = false;
    return std::exchange(captured().texts, {});
}

}  // namespace capture

// ---- links -------------------------------------------------------------------

Link::Link(std::shared_ptr<const LinkSettings> settings) : settings_(std::move(settings)) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment(), &connection_)))
        raise(SQL_HANDLE_ENV, environment());
    try {
        SQLSetConnectAttrW(connection_, SQL_ATTR_LOGIN_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(settings_->login_timeout)), 0);
        std::u16string text = to_utf16(settings_->driver_text);
        const std::vector<int> before = open_sockets();
        const SQLRETURN rc = SQLDriverConnectW(connection_, nullptr, wide(text), static_cast<SQLSMALLINT>(text.size()),
                                               nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            // A connection that never opened is freed without a disconnect.
            const Diagnostic refusal = first_diagnostic(SQL_HANDLE_DBC, connection_);
            SQLFreeHandle(SQL_HANDLE_DBC, connection_);
            connection_ = SQL_NULL_HDBC;
            throw automation::AutomationError(ado::err::kProviderError,
                                              hidden(refusal.message, settings_->password), "Provider");
        }
        socket_ = new_socket(before, open_sockets());
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection_, &statement_)))
            raise(SQL_HANDLE_DBC, connection_);
        SQLSetStmtAttrW(statement_, SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(settings_->statement_timeout)), 0);
    } catch (...) {
        release();
        throw;
    }
    last_used_ = std::chrono::steady_clock::now();
}

Link::~Link() { release(); }

void Link::release() {
    if (statement_ != SQL_NULL_HSTMT)
        SQLFreeHandle(SQL_HANDLE_STMT, statement_);
    statement_ = SQL_NULL_HSTMT;
    if (connection_ != SQL_NULL_HDBC) {
        SQLDisconnect(connection_);
        SQLFreeHandle(SQL_HANDLE_DBC, connection_);
    }
    connection_ = SQL_NULL_HDBC;
}

void Link::raise(SQLSMALLINT handle_type, SQLHANDLE handle) {
    Diagnostic diagnostic = first_diagnostic(handle_type, handle);
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (connection_ != SQL_NULL_HDBC &&
        SQL_SUCCEEDED(SQLGetConnectAttrW(connection_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
        dead == SQL_CD_TRUE)
        broken_ = true;
    if (connection_lost(diagnostic.state))
        broken_ = true;
    throw automation::AutomationError(ado::err::kProviderError, hidden(diagnostic.message, settings_->password),
                                      "Provider");
}

ado::ResultSet Link::execute(const std::string& sql) {
    struct CloseOnExit {
        SQLHSTMT statement;
        ~CloseOnExit() { SQLFreeStmt(statement, SQL_CLOSE); }
    } close{statement_};
    if (captured().on) {
        std::lock_guard lock(captured().mutex);
        captured().texts.push_back(sql);
    }
    std::u16string text = to_utf16(sql);
    SQLRETURN rc = SQLExecDirectW(statement_, wide(text), static_cast<SQLINTEGER>(text.size()));
    last_used_ = std::chrono::steady_clock::now();
    // The first result with columns is the answer; results without columns
    // before it (writes, row counts) are passed over.
    while (rc != SQL_NO_DATA) {
        if (!SQL_SUCCEEDED(rc))
            raise(SQL_HANDLE_STMT, statement_);
        SQLSMALLINT columns = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(statement_, &columns)))
            raise(SQL_HANDLE_STMT, statement_);
        if (columns > 0)
            return read_result();
        rc = SQLMoreResults(statement_);
    }
    return {};
}

ado::ResultSet Link::read_result() {
    SQLSMALLINT count = 0;
    SQLNumResultCols(statement_, &count);
    ado::ResultSet result;
    result.has_result = true;
    auto names = std::make_shared<std::vector<std::string>>();
    std::vector<Kind> kinds;
    for (SQLUSMALLINT column = 1; column <= count; ++column) {
        SQLWCHAR name[256];
        SQLSMALLINT name_length = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (!SQL_SUCCEEDED(SQLDescribeColW(statement_, column, name, 256, &name_length, &type, &size, &digits,
                                           &nullable)))
            raise(SQL_HANDLE_STMT, statement_);
        names->push_back(to_utf8(name, std::min<std::size_t>(name_length, 255)));
        kinds.push_back(kind_of(type));
    }
    result.columns = std::move(names);
    std::vector<SQLWCHAR> buffer(256);
    for (;;) {
        const SQLRETURN fetched = SQLFetch(statement_);
        if (fetched == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(fetched))
            raise(SQL_HANDLE_STMT, statement_);
        for (SQLUSMALLINT column = 1; column <= count; ++column) {
            SQLLEN indicator = 0;
            auto get = [&](SQLSMALLINT c_type, SQLPOINTER target, SQLLEN size) {
                if (!SQL_SUCCEEDED(SQLGetData(statement_, column, c_type, target, size, &indicator)))
                    raise(SQL_HANDLE_STMT, statement_);
                return indicator != SQL_NULL_DATA;
            };
            auto text = [&]() -> std::optional<std::string> {
                std::string out;
                for (;;) {
                    const SQLRETURN rc = SQLGetData(statement_, column, SQL_C_WCHAR, buffer.data(),
                                                    static_cast<SQLLEN>(buffer.size() * sizeof(SQLWCHAR)), &indicator);
                    if (rc == SQL_NO_DATA)
                        return out;
                    if (!SQL_SUCCEEDED(rc))
                        raise(SQL_HANDLE_STMT, statement_);
                    if (indicator == SQL_NULL_DATA)
                        return std::nullopt;
                    // A part that did not fit fills the buffer but for its terminator.
                    const std::size_t whole = buffer.size() - 1;
                    const std::size_t got = indicator == SQL_NO_TOTAL || indicator / sizeof(SQLWCHAR) > whole
                                                ? whole
                                                : static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR);
                    out += to_utf8(buffer.data(), got);
                    if (rc == SQL_SUCCESS)
                        return out;
                }
            };
            switch (kinds[column - 1]) {
            case Kind::Integer: {
                SQLBIGINT value = 0;
                result.values.push_back(get(SQL_C_SBIGINT, &value, 0) ? integer_value(value) : Variant::null());
                break;
            }
            case Kind::Real: {
                double value = 0;
                result.values.push_back(get(SQL_C_DOUBLE, &value, 0) ? Variant(value) : Variant::null());
                break;
            }
            case Kind::Bit: {
                unsigned char value = 0;
                result.values.push_back(get(SQL_C_BIT, &value, 0) ? Variant(value != 0) : Variant::null());
                break;
            }
            case Kind::Timestamp: {
                SQL_TIMESTAMP_STRUCT value{};
                result.values.push_back(get(SQL_C_TYPE_TIMESTAMP, &value, sizeof value)
                                  ? Variant(automation::make_date(value.year, value.month, value.day, value.hour,
                                                                  value.minute,
                                                                  value.second + value.fraction / 1e9))
                                  : Variant::null());
                break;
            }
            case Kind::Time: {
                SQL_TIME_STRUCT value{};
                result.values.push_back(get(SQL_C_TYPE_TIME, &value, sizeof value)
                                  ? Variant(automation::make_date(1899, 12, 30, value.hour, value.minute, value.second))
                                  : Variant::null());
                break;
            }
            case Kind::Exact: {
                const auto value = text();
                result.values.push_back(value ? exact_value(*value) : Variant::null());
                break;
            }
            case Kind::Text: {
                auto value = text();
                result.values.push_back(value ? Variant(std::move(*value)) : Variant::null());
                break;
            }
            }
        }
    }
    return result;
}

bool Link::usable() {
    if (broken_)
        return false;
    if (std::chrono::steady_clock::now() - last_used_ < kIdleBeforeCheck && !server_spoke(socket_))
        return true;
    // Any answer of the server, an error included, shows the link alive; a
    // server that does not know SELECT without FROM refuses it but answers.
    try {
        execute("SELECT 1");
    } catch (const automation::AutomationError&) {
    }
    return !broken_;
}

}  // namespace zolt::odbc
