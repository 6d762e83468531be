// The data layer: Connection, Recordset and Field over pluggable providers,
// with a statement trace.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/variant.h"

namespace zolt::ado {

using automation::Variant;

// Data-layer error numbers.
namespace err {
inline constexpr int32_t kNoCurrentRecord = 3021;  // BOF or EOF
inline constexpr int32_t kItemNotFound = 3265;     // unknown field name
inline constexpr int32_t kObjectClosed = 3704;     // operation on a closed object
inline constexpr int32_t kProviderError = -2147467259;  // a statement the provider refused
}  // namespace err

// "Key=Value;Key=Value" with case-insensitive keys.
class ConnectionString {
public:
    explicit ConnectionString(std::string_view text);
    // The value of a key, or "" when it is absent.
    std::string get(std::string_view key) const;
    const std::string& text() const { return text_; }
    // Every key and value, in the order written.
    const std::vector<std::pair<std::string, std::string>>& pairs() const { return pairs_; }

private:
    std::string text_;
    std::vector<std::pair<std::string, std::string>> pairs_;
};

// What a provider answers for one statement: a result set, or nothing when
// the statement returns no rows (then the recordset stays closed). The values
// lie row after row in one buffer; the column names may be shared with the
// provider's description of a statement it keeps, so that a result neither
// copies them nor allocates a vector per row.
struct ResultSet {
    bool has_result = false;
    std::shared_ptr<const std::vector<std::string>> columns;  // null when there are none
    std::vector<Variant> values;

    const std::vector<std::string>& names() const;
    std::size_t column_count() const { return columns ? columns->size() : 0; }
    std::size_t row_count() const { return column_count() ? values.size() / column_count() : 0; }
    const Variant& at(std::size_t row, std::size_t column) const {
        return values.at(row * column_count() + column);
    }
    // Copies of a row and of all rows, for callers that keep them.
    std::vector<Variant> row(std::size_t number) const;
    std::vector<std::vector<Variant>> rows() const;
};

// One open connection of a provider to its database.
class Session {
public:
    virtual ~Session() = default;
    // Runs one statement text into answer, whose values keep the room they
    // had for the rows of this one; failures raise automation::AutomationError.
    virtual void execute(const std::string& sql, ResultSet& answer) = 0;
    ResultSet execute(const std::string& sql) {
        ResultSet answer;
        execute(sql, answer);
        return answer;
    }
};

using ProviderFactory = std::function<std::unique_ptr<Session>(const ConnectionString&)>;
// Providers are chosen by the "Provider" key of the connection string.
void register_provider(const std::string& name, ProviderFactory factory);
std::unique_ptr<Session> open_session(std::string_view connection_string);

class Connection final : public automation::Object {
public:
    Connection() = default;
    explicit Connection(std::string_view connection_string) { open(connection_string); }
    void open(std::string_view connection_string);
    void close();  // 3704 when already closed
    int state() const { return session_ ? 1 : 0; }
    const std::string& connection_string() const { return connection_string_; }
    Session& session();  // 3704 when closed

    Variant default_value() const override { return Variant(connection_string_); }
    std::string kind() const override { return "Connection"; }

private:
    std::string connection_string_;
    std::unique_ptr<Session> session_;
};
using ConnectionPtr = std::shared_ptr<Connection>;

class Recordset;
struct RecordsetData;

// A column of the current row; its default property is the value. A Field
// keeps its column's type, so date columns give Date values. Reading it at
// BOF/EOF raises 3021, after the recordset was closed 3704. The fields of a
// recordset live with its rows, and a Field handed out keeps them alive.
class Field : public automation::Object {
public:
    Field() = default;
    Field(const RecordsetData& data, std::size_t column) : data_(&data), column_(column) {}
    const std::string& name() const;
    Variant value() const;

    Variant default_value() const override { return value(); }
    std::string kind() const override { return "Field"; }

private:
    const RecordsetData* data_ = nullptr;
    std::size_t column_ = 0;
};

inline constexpr int kAdUseServer = 2;
inline constexpr int kAdUseClient = 3;

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept = default;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void set_cursor_location(int location) { cursor_location_ = location; }
    int cursor_location() const { return cursor_location_; }

    // Runs the statement. active_connection is either a Connection object (the
    // statement runs on it) or a connection string (a separate connection is
    // opened from it for this recordset and closed with it). A statement that
    // returns no rows leaves the recordset closed.
    void open(const Variant& source, const Variant& active_connection, int cursor_type = -1, int lock_type = -1,
              int options = -1);
    // The same with the statement text itself as the source.
    void open(const std::string& statement, const Variant& active_connection, int cursor_type = -1,
              int lock_type = -1, int options = -1);

    int state() const;  // 0 closed, 1 open
    bool eof() const;   // 3704 when closed
    bool bof() const;   // 3704 when closed
    // Field by name, case-insensitive: 3265 when unknown, 3704 when closed.
    std::shared_ptr<Field> field(std::string_view name) const;
    // Field as a Variant holding the Field object, ready for a formatter.
    Variant field_object(std::string_view name) const;
    void move_first();
    void move_last();
    void move_next();  // 3021 past EOF
    int32_t record_count() const;
    void close();  // 3704 when already closed

private:
    int cursor_location_ = kAdUseServer;
    std::shared_ptr<RecordsetData> data_;
    std::unique_ptr<Connection> separate_;
};

// Statement trace of the calling thread: every statement opened through a
// Recordset while the trace is on, in order, with the connection it ran on.
struct TraceEntry {
    std::string text;
    bool separate = false;  // false: the caller's connection object
    friend bool operator==(const TraceEntry&, const TraceEntry&) = default;
};
namespace trace {
void start();
std::vector<TraceEntry> stop();  // ends the trace and returns what it recorded
bool active();
void record(const std::string& text, bool separate);
}  // namespace trace

}  // namespace zolt::ado
