// Recordsets over fully materialised results, their fields, and the
// statement trace.
#include <utility>

#include "platform/ado/ado.h"
#include "platform/ado/detail.h"

namespace zolt::ado {

// What a recordset and the fields taken from it share: the rows, the current
// position and whether the recordset is still open.
struct RecordsetData {
    explicit RecordsetData(ResultSet answer) : result(std::move(answer)) {
        fields.reserve(result.columns.size());
        for (std::size_t i = 0; i < result.columns.size(); ++i)
            fields.emplace_back(*this, i);
    }

    ResultSet result;
    std::size_t position = 0;  // == rows.size() at EOF
    bool open = true;
    std::vector<Field> fields;  // one per column, never moved once made

    bool at_end() const { return position >= result.rows.size(); }
};

namespace {

constexpr std::string_view kRecordset = "Recordset";
constexpr std::string_view kField = "Field";

}  // namespace

// ---- fields ----------------------------------------------------------------

const std::string& Field::name() const { return data_->result.columns[column_]; }

Variant Field::value() const {
    if (!data_->open)
        detail::raise(err::kObjectClosed, kField);
    if (data_->at_end())
        detail::raise(err::kNoCurrentRecord, kField);
    return data_->result.rows[data_->position][column_];
}

// ---- recordsets ------------------------------------------------------------

Recordset::Recordset() = default;

Recordset::~Recordset() {
    if (data_)
        data_->open = false;
}

void Recordset::open(const Variant& source, const Variant& active_connection, int cursor_type, int lock_type,
                     int options) {
    if (state() == 1)
        detail::raise(detail::kObjectOpen, kRecordset);
    // The statement text, read through an object's default value when needed.
    const Variant read_source = source.is_text() ? Variant() : automation::value_of(source);
    const Variant& statement = source.is_text() ? source : read_source;
    if (!statement.is_text())
        detail::raise(detail::kBadArguments, kRecordset);
    open(statement.text(), active_connection, cursor_type, lock_type, options);
}

void Recordset::open(const std::string& statement, const Variant& active_connection, int, int, int) {
    if (state() == 1)
        detail::raise(detail::kObjectOpen, kRecordset);

    // The connection is either a Connection object to run on, or a text from
    // which a connection of this recordset's own is opened.
    Connection* connection = nullptr;
    const bool separate = active_connection.is_text();
    if (active_connection.is_object()) {
        connection = dynamic_cast<Connection*>(active_connection.object().get());
        if (!connection)
            detail::raise(detail::kBadArguments, kRecordset);
        if (connection->state() == 0)
            detail::raise(detail::kConnectionUnusable, kRecordset);
    } else if (!separate) {
        detail::raise(detail::kBadArguments, kRecordset);
    }

    // Recorded before it runs, so that a statement that fails is traced too.
    trace::record(statement, separate);

    std::unique_ptr<Connection> own;
    if (separate) {
        own = std::make_unique<Connection>(active_connection.text());
        connection = own.get();
    }
    ResultSet result = connection->session().execute(statement);
    if (!result.has_result)
        return;  // nothing to show: the recordset stays closed, its connection with it
    data_ = std::make_shared<RecordsetData>(std::move(result));
    separate_ = std::move(own);
}

int Recordset::state() const { return data_ && data_->open ? 1 : 0; }

bool Recordset::eof() const {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    return data_->at_end();
}

bool Recordset::bof() const {
    // Without backward moves the position is before the first row only when
    // there is no row at all.
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    return data_->result.rows.empty();
}

std::shared_ptr<Field> Recordset::field(std::string_view name) const {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    const auto& columns = data_->result.columns;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (detail::same_name(columns[i], name))
            return std::shared_ptr<Field>(data_, &data_->fields[i]);  // shares the rows' ownership
    detail::raise(err::kItemNotFound, kRecordset);
}

Variant Recordset::field_object(std::string_view name) const { return Variant(automation::ObjectPtr(field(name))); }

void Recordset::move_first() {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    if (data_->result.rows.empty())
        detail::raise(err::kNoCurrentRecord, kRecordset);
    data_->position = 0;
}

void Recordset::move_last() {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    if (data_->result.rows.empty())
        detail::raise(err::kNoCurrentRecord, kRecordset);
    data_->position = data_->result.rows.size() - 1;
}

void Recordset::move_next() {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    if (data_->at_end())
        detail::raise(err::kNoCurrentRecord, kRecordset);
    ++data_->position;
}

int32_t Recordset::record_count() const {
    // Results are read completely when the statement runs, so the count is
    // exact whatever the cursor location.
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    return static_cast<int32_t>(data_->result.rows.size());
}

void Recordset::close() {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    data_->open = false;
    data_.reset();
    separate_.reset();
}

// ---- statement trace -------------------------------------------------------

namespace trace {

namespace {

struct ThreadTrace {
    bool active = false;
    std::vector<TraceEntry> entries;
};
thread_local ThreadTrace current;

}  // namespace

void start() {
    current.entries.clear();
    current.active = true;
}

std::vector<TraceEntry> stop() {
    current.active = false;
    return std::exchange(current.entries, {});
}

bool active() { return current.active; }

void record(const std::string& text, bool separate) {
    if (current.active)
        current.entries.push_back({text, separate});
}

}  // namespace trace

}  // namespace zolt::ado
