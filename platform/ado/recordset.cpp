// Recordsets over fully materialised results, their fields, and the
// statement trace.
#include <array>
#include <cstring>
#include <typeinfo>
#include <utility>

#include "platform/ado/ado.h"
#include "platform/ado/detail.h"
#include "platform/per_thread.h"

namespace zolt::ado {

// What a recordset and the fields taken from it share: the rows, the current
// position and whether the recordset is still open.
struct RecordsetData {
    RecordsetData() {
        for (std::size_t i = 0; i < few.size(); ++i)
            few[i] = Field(*this, i);
    }
    RecordsetData(const RecordsetData&) = delete;
    RecordsetData& operator=(const RecordsetData&) = delete;

    // Opens it on the answer it now holds, at the first row.
    void start() {
        position = 0;
        open = true;
        const std::size_t count = result.column_count();
        many.clear();
        if (count > few.size())
            for (std::size_t i = 0; i < count; ++i)
                many.emplace_back(*this, i);
        if (asked_names != result.columns) {
            asked_names = result.columns;
            asked_count = 0;
            next_asked = 0;
        }
    }

    // The first column of that name, in any letter case; the column count
    // when there is none.
    std::size_t column_of(std::string_view name) {
        const auto& columns = result.names();
        // Names come in the order they came before: the one after the last
        // found is tried first.
        for (std::size_t k = 0; k < asked_count; ++k) {
            std::size_t at = next_asked + k;  // below twice the count: no division needed
            if (at >= asked_count)
                at -= asked_count;
            const Asked& known = asked[at];
            if (detail::same_text({known.name.data(), known.size}, name)) {
                next_asked = at + 1;
                return known.column;
            }
        }
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (detail::same_name(columns[i], name)) {
                if (asked_count < asked.size() && name.size() <= Asked{}.name.size()) {
                    Asked& known = asked[asked_count++];
                    known.size = name.size();
                    std::memcpy(known.name.data(), name.data(), name.size());
                    known.column = i;
                }
                return i;
            }
        }
        return columns.size();
    }

    ResultSet result;
    std::size_t position = 0;  // == row count at EOF
    bool open = false;
    // One field per column, never moved once made: in place for the few
    // columns of most answers, in `many` for more.
    std::array<Field, 8> few;
    std::vector<Field> many;

    Field& field(std::size_t column) { return many.empty() ? few[column] : many[column]; }
    bool at_end() const { return position >= result.row_count(); }

private:
    // Names asked for before, as written, with the columns they found: a
    // caller asks for the same fields by the same texts call after call, and
    // the names of a kept statement come back with its rows, so a name is
    // compared byte for byte once rather than with each column in turn.
    struct Asked {
        std::array<char, 24> name;
        std::size_t size = 0;
        std::size_t column = 0;
    };
    std::shared_ptr<const std::vector<std::string>> asked_names;  // the names those columns are of
    std::array<Asked, 8> asked;
    std::size_t asked_count = 0;
    std::size_t next_asked = 0;
};

namespace {

// The data of closed recordsets, kept on each thread for the next ones to
// open: their rows' room and their fields are made once. Only data that no
// field refers to any more comes back here, and only with room for a few rows.
class SpareData {
public:
    std::shared_ptr<RecordsetData> take() {
        if (count_ == 0)
            return std::make_shared<RecordsetData>();
        return std::move(spare_[--count_]);
    }
    void give(std::shared_ptr<RecordsetData>&& data) {
        data->result.values.clear();
        if (count_ == spare_.size() || data->result.values.capacity() > kMostValues)
            return;  // freed as it goes
        data->many.clear();
        spare_[count_++] = std::move(data);
    }

private:
    static constexpr std::size_t kMostValues = 1024;
    std::array<std::shared_ptr<RecordsetData>, 4> spare_;  // more than a call keeps open at once
    std::size_t count_ = 0;
};

std::shared_ptr<RecordsetData> take_data() {
    SpareData* spare = PerThread<SpareData>::get();
    return spare ? spare->take() : std::make_shared<RecordsetData>();
}

// Data a field still refers to lives on with that field.
void release(std::shared_ptr<RecordsetData>& data) {
    data->open = false;
    SpareData* spare = PerThread<SpareData>::made();
    if (spare && data.use_count() == 1)
        spare->give(std::move(data));
    data.reset();
}

}  // namespace

// ---- result sets -------------------------------------------------------------

const std::vector<std::string>& ResultSet::names() const {
    static const std::vector<std::string> none;
    return columns ? *columns : none;
}

std::vector<Variant> ResultSet::row(std::size_t number) const {
    const auto first = values.begin() + static_cast<std::ptrdiff_t>(number * column_count());
    return {first, first + static_cast<std::ptrdiff_t>(column_count())};
}

std::vector<std::vector<Variant>> ResultSet::rows() const {
    std::vector<std::vector<Variant>> all;
    for (std::size_t i = 0; i < row_count(); ++i)
        all.push_back(row(i));
    return all;
}

namespace {

constexpr std::string_view kRecordset = "Recordset";
constexpr std::string_view kField = "Field";

}  // namespace

// ---- fields ----------------------------------------------------------------

const std::string& Field::name() const { return data_->result.names()[column_]; }

Variant Field::value() const {
    if (!data_->open)
        detail::raise(err::kObjectClosed, kField);
    if (data_->at_end())
        detail::raise(err::kNoCurrentRecord, kField);
    return data_->result.at(data_->position, column_);
}

// ---- recordsets ------------------------------------------------------------

Recordset::Recordset() = default;

Recordset::~Recordset() {
    if (data_)
        release(data_);
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
        // Connection is final: its type is compared rather than searched for.
        automation::Object* object = active_connection.object().get();
        connection = object && typeid(*object) == typeid(Connection) ? static_cast<Connection*>(object) : nullptr;
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
    std::shared_ptr<RecordsetData> data = take_data();
    connection->session().execute(statement, data->result);
    if (!data->result.has_result) {
        release(data);
        return;  // nothing to show: the recordset stays closed, its connection with it
    }
    data->start();
    data_ = std::move(data);
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
    return data_->result.row_count() == 0;
}

std::shared_ptr<Field> Recordset::field(std::string_view name) const {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    const std::size_t column = data_->column_of(name);
    if (column == data_->result.column_count())
        detail::raise(err::kItemNotFound, kRecordset);
    return std::shared_ptr<Field>(data_, &data_->field(column));  // shares the rows' ownership
}

Variant Recordset::field_object(std::string_view name) const { return Variant(automation::ObjectPtr(field(name))); }

void Recordset::move_first() {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    if (data_->result.row_count() == 0)
        detail::raise(err::kNoCurrentRecord, kRecordset);
    data_->position = 0;
}

void Recordset::move_last() {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    if (data_->result.row_count() == 0)
        detail::raise(err::kNoCurrentRecord, kRecordset);
    data_->position = data_->result.row_count() - 1;
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
    return static_cast<int32_t>(data_->result.row_count());
}

void Recordset::close() {
    if (state() == 0)
        detail::raise(err::kObjectClosed, kRecordset);
    release(data_);
    separate_.reset();
}

// ---- statement trace -------------------------------------------------------

namespace trace {

namespace {

// Asked on every statement: a flag with no destructor of its own is reached
// without a call into the dynamic loader.
[[gnu::tls_model("initial-exec")]] thread_local bool tracing = false;
thread_local std::vector<TraceEntry> entries;

}  // namespace

void start() {
    entries.clear();
    tracing = true;
}

std::vector<TraceEntry> stop() {
    tracing = false;
    return std::exchange(entries, {});
}

bool active() { return tracing; }

void record(const std::string& text, bool separate) {
    if (tracing)
        entries.push_back({text, separate});
}

}  // namespace trace

}  // namespace zolt::ado
