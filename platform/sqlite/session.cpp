// The "SQLite" provider: sessions on a database file with a cache of prepared
// statements, typed results, the server clock and stored procedures.
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <list>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>

#include "platform/ado/detail.h"
#include "platform/sqlite/engine.h"
#include "platform/sqlite/procedures.h"
#include "platform/sqlite/sql_text.h"
#include "platform/sqlite/sqlite.h"

namespace zolt::sqlite {

using automation::Variant;

// ---- statements and results --------------------------------------------------

void raise_engine_error(sqlite3* db) { raise_provider_error(sqlite3_errmsg(db)); }

namespace {

// Sessions sharing one in-memory database lock its tables rather than a
// file, and the busy timeout does not wait for those locks: wait for them the
// same way, trying again from the start.
template <class Attempt>
int waiting_for_table_locks(Attempt attempt) {
    int rc = attempt();
    if ((rc & 0xff) != SQLITE_LOCKED)
        return rc;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    while ((rc & 0xff) == SQLITE_LOCKED && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        rc = attempt();
    }
    return rc;
}

}  // namespace

StatementPtr prepare(sqlite3* db, std::string_view sql, std::string_view& tail, bool persistent) {
    sqlite3_stmt* statement = nullptr;
    const char* end = nullptr;
    const int rc = waiting_for_table_locks([&] {
        return sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                  persistent ? SQLITE_PREPARE_PERSISTENT : 0, &statement, &end);
    });
    if (rc != SQLITE_OK)
        raise_engine_error(db);
    tail = sql.substr(static_cast<std::size_t>(end - sql.data()));
    return StatementPtr(statement);
}

namespace {

constexpr int64_t kMillisecondsPerDay = 86400000;
// The Julian day of automation date zero (30/12/1899), in milliseconds.
constexpr int64_t kSerialZeroMilliseconds = 2415018 * kMillisecondsPerDay + kMillisecondsPerDay / 2;
// The Julian days of 01/01/0100 and of the day after 31/12/9999.
constexpr double kFirstDateJulian = 1757584.5;
constexpr double kEndDateJulian = 5373484.5;

// True for a declared type naming a date or a time (DATE, DATETIME,
// TIMESTAMP ...), in any letter case.
bool is_date_type(const char* declared) {
    if (!declared)
        return false;
    auto lower = [](char c) { return static_cast<char>(c | 0x20); };
    for (const char* p = declared; p[0] && p[1] && p[2] && p[3]; ++p) {
        const char a = lower(p[0]), b = lower(p[1]), c = lower(p[2]), d = lower(p[3]);
        if ((a == 'd' && b == 'a' && c == 't' && d == 'e') || (a == 't' && b == 'i' && c == 'm' && d == 'e'))
            return true;
    }
    return false;
}

// An automation date from a Julian day number, to the millisecond, built as
// the automation layer builds dates from their parts (a whole day count and
// the time of day, which counts away from zero before day zero) so that equal
// instants give equal values.
automation::Date date_from_julian(double julian) {
    // A number beyond the dates a Date can hold (01/01/0100 to 31/12/9999), an
    // infinity among them, fails the read as converting it to a date does.
    if (!(julian >= kFirstDateJulian && julian < kEndDateJulian))
        throw automation::AutomationError::overflow();
    const int64_t milliseconds = std::llround(julian * kMillisecondsPerDay) - kSerialZeroMilliseconds;
    int64_t days = milliseconds / kMillisecondsPerDay;
    int64_t time_of_day = milliseconds % kMillisecondsPerDay;
    if (time_of_day < 0) {
        time_of_day += kMillisecondsPerDay;
        --days;
    }
    const double fraction = static_cast<double>(time_of_day) / kMillisecondsPerDay;
    const double whole_days = static_cast<double>(days);
    return automation::Date{days < 0 ? whole_days - fraction : whole_days + fraction};
}

// A column of the current row, read through the engine's value of it: one
// call into the statement for the column rather than one for its type and
// one for its content. Sessions serialise their own calls, so the value is
// read under the same guard as the statement. The value is made in place at
// the end of the row store.
void read_column(sqlite3_stmt* statement, int column, bool date_column, std::vector<Variant>& values) {
    sqlite3_value* value = sqlite3_column_value(statement, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: {
        const int64_t number = sqlite3_value_int64(value);
        if (date_column)
            values.emplace_back(date_from_julian(static_cast<double>(number)));
        else if (number >= INT32_MIN && number <= INT32_MAX)
            values.emplace_back(static_cast<int32_t>(number));
        else
            values.emplace_back(number);
        return;
    }
    case SQLITE_FLOAT: {
        const double number = sqlite3_value_double(value);
        if (date_column || sqlite3_value_subtype(value) == kDateSubtype)
            values.emplace_back(date_from_julian(number));
        else
            values.emplace_back(number);
        return;
    }
    case SQLITE_NULL:
        values.push_back(Variant::null());
        return;
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        const auto size = static_cast<std::size_t>(sqlite3_value_bytes(value));
        const std::string_view content(text ? text : "", size);
        double julian;
        if (date_column && parse_julian_day(content, julian))
            values.emplace_back(date_from_julian(julian));
        else
            values.emplace_back(content);
        return;
    }
    }
}

// Puts the statement back to its start when the run ends, however it ends.
struct ResetOnExit {
    sqlite3_stmt* statement;
    ~ResetOnExit() { sqlite3_reset(statement); }
};

}  // namespace

namespace {

void describe(sqlite3_stmt* statement, int count, Columns& columns) {
    auto names = std::make_shared<std::vector<std::string>>();
    names->reserve(static_cast<std::size_t>(count));
    columns.dates.clear();
    columns.dates.reserve(static_cast<std::size_t>(count));
    // Columns declared as dates (directly, through views and scalar
    // subqueries) hand their numbers back as dates.
    for (int i = 0; i < count; ++i) {
        names->emplace_back(sqlite3_column_name(statement, i));
        columns.dates.push_back(is_date_type(sqlite3_column_decltype(statement, i)));
    }
    columns.names = std::move(names);
}

}  // namespace

void run(sqlite3* db, sqlite3_stmt* statement, Columns* kept, ado::ResultSet& answer) {
    ResetOnExit reset{statement};
    answer.has_result = false;
    answer.values.clear();
    int rc = waiting_for_table_locks([&] {
        const int first = sqlite3_step(statement);
        if ((first & 0xff) == SQLITE_LOCKED)
            sqlite3_reset(statement);
        return first;
    });
    const int columns = sqlite3_column_count(statement);
    if (columns == 0) {
        answer.columns.reset();
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(statement);
        if (rc != SQLITE_DONE)
            raise_engine_error(db);
        return;
    }
    Columns once;
    Columns& described = kept ? *kept : once;
    const int prepared = sqlite3_stmt_status(statement, SQLITE_STMTSTATUS_REPREPARE, 0);
    if (!kept || kept->prepared != prepared || kept->dates.size() != static_cast<std::size_t>(columns)) {
        describe(statement, columns, described);
        described.prepared = prepared;
    }
    // An answer that held this statement's rows before has its names already.
    if (answer.columns != described.names)
        answer.columns = described.names;
    answer.has_result = true;
    const char* is_date = described.dates.data();
    for (; rc == SQLITE_ROW; rc = sqlite3_step(statement)) {
        for (int i = 0; i < columns; ++i)
            read_column(statement, i, is_date[i], answer.values);
    }
    if (rc != SQLITE_DONE)
        raise_engine_error(db);
}

void bind(sqlite3* db, sqlite3_stmt* statement, int position, const Value& value) {
    int rc = SQLITE_OK;
    switch (value.kind) {
    case Value::Kind::Null:
        rc = sqlite3_bind_null(statement, position);
        break;
    case Value::Kind::Integer:
        rc = sqlite3_bind_int64(statement, position, value.integer);
        break;
    case Value::Kind::Real:
        rc = sqlite3_bind_double(statement, position, value.real);
        break;
    case Value::Kind::Text:
        rc = sqlite3_bind_text(statement, position, value.text.data(), static_cast<int>(value.text.size()),
                               SQLITE_STATIC);
        break;
    }
    if (rc != SQLITE_OK)
        raise_engine_error(db);
}

StatementPtr prepare_shape(sqlite3* db, const ShapedStatement& shaped, bool persistent) {
    std::string_view tail;
    StatementPtr statement;
    try {
        statement = prepare(db, shaped.text, tail, persistent);
    } catch (const automation::AutomationError&) {
        return nullptr;
    }
    if (!statement || !skip_blanks_and_comments(tail).empty() ||
        sqlite3_bind_parameter_count(statement.get()) != static_cast<int>(shaped.values.size()))
        return nullptr;
    return statement;
}

void bind_values(sqlite3* db, sqlite3_stmt* statement, const ShapedStatement& shaped) {
    int position = 0;
    for (const Literal& literal : shaped.values)
        bind(db, statement, ++position, Value::of(literal));
}

void execute(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        raise_engine_error(db);
}

// ---- the server clock --------------------------------------------------------

namespace {

// sysdate() and getdate(): this machine's local date and time to the second,
// as a Julian day number marked as a date. The answer changes once a second:
// a thread's last one serves until then, without converting the clock again.
void clock_function(sqlite3_context* context, int, sqlite3_value**) {
    struct Last {
        time_t second = -1;
        double julian = 0;
    };
    [[gnu::tls_model("initial-exec")]] static thread_local Last last;
    const time_t now = time(nullptr);
    if (now != last.second) {
        tm local{};
        localtime_r(&now, &local);
        last = {now, julian_day(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                local.tm_sec)};
    }
    sqlite3_result_double(context, last.julian);
    sqlite3_result_subtype(context, kDateSubtype);
}

}  // namespace

void add_clock_functions(sqlite3* db) {
    for (const char* name : {"sysdate", "getdate"}) {
        if (sqlite3_create_function_v2(db, name, 0, SQLITE_UTF8 | SQLITE_INNOCUOUS, nullptr, clock_function, nullptr,
                                       nullptr, nullptr) != SQLITE_OK)
            raise_engine_error(db);
    }
}

namespace {

// ---- prepared statements ------------------------------------------------------

// The most recently used statements of a session by their text as sent.
class StatementCache {
public:
    struct Entry {
        std::string sql;
        StatementPtr statement;
        Columns columns;
        // The values of the last run by shape stay bound (they are bound
        // afresh for the next); a text with a ? of its own that reads like
        // the shape runs the statement without them.
        bool bound = false;
    };

    // Where a kept statement was found: it stays there until a statement is
    // pushed out, so it can be used again without looking its text up.
    struct Place {
        std::list<Entry>::iterator entry;
        uint64_t evictions = UINT64_MAX;
    };

    Entry* find(const std::string& sql, Place* place = nullptr) {
        const auto found = index_.find(sql);
        if (found == index_.end())
            return nullptr;
        return use(found->second, place);
    }

    // The statement at a place found before; null when it may be gone.
    Entry* at(const Place& place) {
        return place.evictions == evictions_ ? use(place.entry, nullptr) : nullptr;
    }

    Entry* add(const std::string& sql, StatementPtr statement, Place* place = nullptr) {
        if (entries_.size() == kCapacity) {
            index_.erase(entries_.back().sql);
            entries_.pop_back();
            ++evictions_;
        }
        entries_.push_front({sql, std::move(statement), {}, false});
        index_.emplace(entries_.front().sql, entries_.begin());
        return use(entries_.begin(), place);
    }

private:
    Entry* use(std::list<Entry>::iterator entry, Place* place) {
        entries_.splice(entries_.begin(), entries_, entry);
        if (place)
            *place = {entry, evictions_};
        return &*entry;
    }

    static constexpr std::size_t kCapacity = 256;
    std::list<Entry> entries_;
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
    uint64_t evictions_ = 0;
};

// Texts remembered by hash, such as those a session ran without keeping
// their statements. Inline texts mostly carry their own literal values and
// never come again: a statement is kept only when its text comes back, so
// that the others are prepared the cheaper way (a statement prepared for
// keeping stays out of the engine's quick allocator) and do not push kept
// ones out.
class RememberedTexts {
public:
    // True when the text ran before (a rare collision of hashes only keeps a
    // statement that did not need keeping); otherwise remembers it.
    bool seen_before(std::string_view sql) {
        if (seen(sql))
            return true;
        remember(sql);
        return false;
    }
    bool seen(std::string_view sql) const {
        const std::size_t hash = std::hash<std::string_view>{}(sql);
        return slots_[hash % kSlots] == hash;
    }
    void remember(std::string_view sql) {
        const std::size_t hash = std::hash<std::string_view>{}(sql);
        slots_[hash % kSlots] = hash;
    }

private:
    static constexpr std::size_t kSlots = 1024;
    std::array<std::size_t, kSlots> slots_{};
};

// Shapes of recent texts, one per opening of a text: inline texts built from
// the same fragments with other values are shaped by comparing them with the
// one before, which costs a fraction of reading them afresh.
class RecentShapes {
public:
    // Shapes sql; shaped is then its shape (the recent one of its opening,
    // its values read in place, or the buffer given), place where the
    // statement of its shape was last found.
    ShapeResult shape(std::string_view sql, ShapedStatement& buffer, const ShapedStatement*& shaped,
                      StatementCache::Place*& place) {
        Slot& recent = slots_[slot_of(sql)];
        place = &recent.place;
        shaped = &recent.shape;
        if (recent.rewritten ? sql == recent.shape.text : shape_like(sql, recent.shape, recent.shape))
            return recent.rewritten ? ShapeResult::NeedsRewrite : ShapeResult::Shaped;
        shaped = &buffer;
        const ShapeResult result = shape_text(sql, buffer);
        if (result != ShapeResult::Unshaped) {
            // A text that runs rewritten is kept as sent, to be told again by
            // comparing it; the shape of its rewriting has a slot of its own.
            recent.rewritten = result == ShapeResult::NeedsRewrite;
            if (recent.rewritten) {
                recent.shape.text.assign(sql);
                recent.shape.marks.clear();
            } else {
                recent.shape.text = buffer.text;
                recent.shape.marks = buffer.marks;
            }
            recent.place = {};
        }
        return result;
    }

private:
    static constexpr std::size_t kSlots = 64;
    static constexpr std::size_t kOpening = 24;
    // The opening's three words, each multiplied by an odd constant that
    // carries every byte into the high bits the slot is taken from: a general
    // hash of them costs more than the comparison it picks a slot for.
    static std::size_t slot_of(std::string_view sql) {
        uint64_t words[kOpening / 8] = {};
        std::memcpy(words, sql.data(), std::min(sql.size(), kOpening));
        const uint64_t mixed =
            words[0] * 0x9e3779b97f4a7c15 ^ words[1] * 0xc2b2ae3d27d4eb4f ^ words[2] * 0x165667b19e3779f9;
        return (mixed >> 40) % kSlots;
    }
    struct Slot {
        ShapedStatement shape;
        StatementCache::Place place;
        bool rewritten = false;  // shape is a text that needs rewriting, as sent
    };
    std::array<Slot, kSlots> slots_;
};

// ---- engine connections ------------------------------------------------------

// The file behind a plain path, to tell whether a path still names the file a
// connection was opened on. In-memory databases and URIs have none.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

std::optional<FileIdentity> identity_of(const std::string& data_source) {
    struct stat status {};
    if (data_source.empty() || data_source == ":memory:" || data_source.starts_with("file:") ||
        stat(data_source.c_str(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

// One connection of the engine to a database, with its prepared statements
// and compiled procedures.
class Engine {
public:
    Engine(const std::string& data_source, bool create) : data_source_(data_source) {
        if (data_source.empty())
            raise_provider_error("The connection string names no database (Data Source).");
        // Sessions serialise their own calls, so the engine's per-call
        // locking is not needed.
        const int flags =
            SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
        const int rc = sqlite3_open_v2(data_source.c_str(), &db_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
            sqlite3_close_v2(db_);
            raise_provider_error("Cannot open the database '" + data_source + "': " + reason + ".");
        }
        try {
            sqlite3_busy_timeout(db_, kBusyTimeoutMs);
            sqlite::execute(db_, "PRAGMA journal_mode=WAL");
            sqlite::execute(db_, "PRAGMA synchronous=NORMAL");
            sqlite::execute(db_, "PRAGMA foreign_keys=OFF");
            add_clock_functions(db_);
        } catch (...) {
            sqlite3_close_v2(db_);
            throw;
        }
        identity_ = identity_of(data_source);
        procedures_ = std::make_unique<ProcedureCatalog>(db_);
    }

    // Closing the last connection to a file removes its -wal and -shm files
    // by name; the engine itself skips that when the path no longer names
    // the file it opened, so a database created anew at the path is safe.
    ~Engine() {
        statements_.reset();
        procedures_.reset();
        sqlite3_close_v2(db_);
    }

    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // A text is read once to find its shape; only a text that has none, or
    // whose shape the engine refused, is looked up as it stands.
    void execute(const std::string& sql, ado::ResultSet& answer) {
        if (parse_procedure_call(sql, call_)) {
            procedures_->call(call_, answer);
            return;
        }
        StatementCache::Place* place = nullptr;
        const ShapedStatement* shaped = nullptr;
        const ShapeResult shape = recent_shapes_.shape(sql, shaped_, shaped, place);
        if (shape == ShapeResult::Shaped && run_by_shape(*shaped, *place, answer))
            return;
        if (StatementCache::Entry* cached = statements_->find(sql)) {
            if (std::exchange(cached->bound, false))
                sqlite3_clear_bindings(cached->statement.get());
            run(db_, cached->statement.get(), &cached->columns, answer);
            return;
        }
        if (auto definition = parse_procedure_definition(sql)) {
            procedures_->create(*definition);
            answer = {};
            return;
        }
        // A text shaped like a rewritten one may need the rewriting too.
        if (shape == ShapeResult::Unshaped || (shape == ShapeResult::Shaped && !needs_rewrite(sql))) {
            prepare_and_run(sql, sql, answer);
            return;
        }
        // One without values is kept under the text as sent, found above
        // without rewriting it again.
        const std::string rewritten = rewrite_inline_sql(sql);
        if (recent_shapes_.shape(rewritten, shaped_, shaped, place) == ShapeResult::Shaped &&
            !shaped->values.empty() && run_by_shape(*shaped, *place, answer))
            return;
        prepare_and_run(sql, rewritten, answer);
    }

    const std::string& data_source() const { return data_source_; }
    const std::optional<FileIdentity>& identity() const { return identity_; }
    // While a session uses it: the count of sessions with its file open,
    // which the pool keeps.
    std::size_t* open_sessions = nullptr;
    // True when it may serve a later session: a file of its own, and no
    // transaction left open.
    bool reusable() const { return identity_ && sqlite3_get_autocommit(db_) != 0; }
    // ... on a path that names the very file it was opened on.
    bool reusable_for(const FileIdentity& identity) const { return reusable() && identity_ == identity; }

private:
    // A single statement whose text has run before is kept for its next use;
    // a script of several runs statement by statement and answers with the
    // last result set it made.
    void prepare_and_run(const std::string& sql, std::string_view engine_sql, ado::ResultSet& answer) {
        std::string_view rest;
        const bool keep = seen_once_.seen_before(sql);
        StatementPtr first = prepare(db_, engine_sql, rest, keep);
        if (!first) {
            answer = {};
            return;
        }
        if (skip_blanks_and_comments(rest).empty()) {
            if (!keep)
                return run(db_, first.get(), nullptr, answer);
            StatementCache::Entry* kept = statements_->add(sql, std::move(first));
            return run(db_, kept->statement.get(), &kept->columns, answer);
        }
        run(db_, first.get(), nullptr, answer);
        ado::ResultSet result;
        while (StatementPtr next = prepare(db_, rest, rest, false)) {
            run(db_, next.get(), nullptr, result);
            if (result.has_result)
                std::swap(answer, result);
        }
    }

    // Runs a statement whose values were taken out, on the statement kept for
    // its shape; false when the engine refuses the shape. A refused shape is
    // remembered, so that its text is not read again for nothing.
    bool run_by_shape(const ShapedStatement& shaped, StatementCache::Place& place, ado::ResultSet& answer) {
        StatementCache::Entry* kept = statements_->at(place);
        if (!kept)
            kept = statements_->find(shaped.text, &place);
        sqlite3_stmt* statement = kept ? kept->statement.get() : nullptr;
        StatementPtr once;
        if (!statement) {
            if (refused_.seen(shaped.text))
                return false;
            const bool keep = seen_once_.seen_before(shaped.text);
            once = prepare_shape(db_, shaped, keep);
            if (!once) {
                refused_.remember(shaped.text);
                return false;
            }
            kept = keep ? statements_->add(shaped.text, std::move(once), &place) : nullptr;
            statement = kept ? kept->statement.get() : once.get();
        }
        if (kept)
            kept->bound = true;
        bind_values(db_, statement, shaped);
        run(db_, statement, kept ? &kept->columns : nullptr, answer);
        return true;
    }

    std::string data_source_;
    std::optional<FileIdentity> identity_;
    sqlite3* db_ = nullptr;
    std::unique_ptr<ProcedureCatalog> procedures_;
    std::unique_ptr<StatementCache> statements_ = std::make_unique<StatementCache>();
    RememberedTexts seen_once_;
    RememberedTexts refused_;  // shapes the engine refused
    RecentShapes recent_shapes_;
    // The statement running, read into buffers kept from call to call.
    ShapedStatement shaped_;
    ProcedureCall call_;
};

// Engine connections of closed sessions, kept for the next session on the
// same database file: opening a connection and reading the schema costs more
// than most statements, and writes on connections of their own (and the key
// counters) open one per statement.
//
// An idle connection is taken again only while its path still names the file
// it was opened on, so that a database created anew at the path is opened
// afresh. The path is looked up for that when a database is being created,
// or when no session has the file open: a database file is not replaced
// behind an open connection (the engine's own locking and journal rely on
// that too), so while one is open the file the newest session opened is the
// one the path names.
class IdleEngines {
public:
    ~IdleEngines() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        idle_.clear();
    }

    // An idle engine on the file the path names, now counted as in use by
    // the session that takes it; null when there is none. Separate
    // connections take one per statement, so while a session has the file
    // open this is one pass under the lock, with no look-up of the path.
    std::unique_ptr<Engine> take(const std::string& data_source, bool create) {
        std::vector<std::unique_ptr<Engine>> stale;  // closed after the lock is left
        if (!create) {
            std::lock_guard lock(mutex_);
            if (InUse* use = in_use(data_source)) {
                std::unique_ptr<Engine> found = take_locked(data_source, use->identity, stale);
                if (found)
                    count_in_use(*found, *use);
                return found;
            }
        }
        const std::optional<FileIdentity> identity = identity_of(data_source);
        if (!identity)
            return nullptr;
        std::lock_guard lock(mutex_);
        std::unique_ptr<Engine> found = take_locked(data_source, *identity, stale);
        if (found)
            count_in_use(*found);
        return found;
    }

    // A new engine a session now uses.
    void opened(Engine& engine) {
        if (!engine.identity())
            return;
        std::lock_guard lock(mutex_);
        count_in_use(engine);
    }

    // An engine whose session closed. Whether the path still names its file
    // is asked when it is taken again.
    void give(std::unique_ptr<Engine> engine) {
        if (!engine->identity())
            return;
        std::unique_ptr<Engine> oldest;  // closed after the lock is left
        std::lock_guard lock(mutex_);
        if (std::size_t* sessions = std::exchange(engine->open_sessions, nullptr); sessions && --*sessions == 0)
            in_use_.erase(engine->data_source());
        if (closed_ || !engine->reusable())
            return;
        if (idle_.size() == kCapacity) {
            oldest = std::move(idle_.front());
            idle_.erase(idle_.begin());
        }
        idle_.push_back(std::move(engine));
    }

private:
    struct InUse {
        FileIdentity identity;
        std::size_t sessions = 0;
    };

    // The file of a path some session has open; null when none has. Under the lock.
    InUse* in_use(const std::string& data_source) {
        const auto found = in_use_.find(data_source);
        return found == in_use_.end() ? nullptr : &found->second;
    }

    // The most recently used idle engine of the path that may serve a session
    // on the file `identity`; those of the path that may not go to `stale`.
    std::unique_ptr<Engine> take_locked(const std::string& data_source, const FileIdentity& identity,
                                        std::vector<std::unique_ptr<Engine>>& stale) {
        std::unique_ptr<Engine> found;
        for (std::size_t i = idle_.size(); i-- > 0 && !found;) {
            if (idle_[i]->data_source() != data_source)
                continue;
            if (idle_[i]->reusable_for(identity))
                found = std::move(idle_[i]);
            else
                stale.push_back(std::move(idle_[i]));
            idle_.erase(idle_.begin() + static_cast<std::ptrdiff_t>(i));
        }
        return found;
    }

    // Entries are not moved by later insertions, so an engine keeps a pointer
    // to its count until its session gives it back.
    void count_in_use(Engine& engine, InUse& use) {
        use.identity = *engine.identity();
        ++use.sessions;
        engine.open_sessions = &use.sessions;
    }
    void count_in_use(Engine& engine) { count_in_use(engine, in_use_[engine.data_source()]); }

    static constexpr std::size_t kCapacity = 8;
    std::mutex mutex_;
    bool closed_ = false;
    std::vector<std::unique_ptr<Engine>> idle_;  // the most recently used last
    std::unordered_map<std::string, InUse> in_use_;
};

IdleEngines& idle_engines() {
    static IdleEngines engines;
    return engines;
}

// ---- sessions -------------------------------------------------------------------

class Session final : public ado::Session {
public:
    explicit Session(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {}
    ~Session() override { idle_engines().give(std::move(engine_)); }

    void execute(const std::string& sql, ado::ResultSet& answer) override {
        std::lock_guard lock(mutex_);
        engine_->execute(sql, answer);
    }

private:
    std::mutex mutex_;
    std::unique_ptr<Engine> engine_;
};

// The provider is there as soon as the platform library is loaded.
[[maybe_unused]] const bool registered = [] {
    ado::register_provider(kProviderName, [](const ado::ConnectionString& connection) {
        // The last Data Source wins; read where it lies, since separate
        // connections are opened once a statement.
        static const std::string none;
        const auto& pairs = connection.pairs();
        for (auto pair = pairs.rbegin(); pair != pairs.rend(); ++pair)
            if (ado::detail::same_name(pair->first, "Data Source"))
                return open_database(pair->second, false);
        return open_database(none, false);
    });
    return true;
}();

}  // namespace

std::unique_ptr<ado::Session> open_database(const std::string& data_source, bool create) {
    auto engine = idle_engines().take(data_source, create);
    if (!engine) {
        engine = std::make_unique<Engine>(data_source, create);
        idle_engines().opened(*engine);
    }
    return std::make_unique<Session>(std::move(engine));
}

}  // namespace zolt::sqlite
