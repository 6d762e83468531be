// Creating embedded databases from the scripts built into the program.
#include "db/database.h"

#include <strings.h>

#include <filesystem>
#include <system_error>

#include "db/scripts.h"
#include "platform/ado/ado.h"
#include "platform/sqlite/sqlite.h"

namespace zolt::db {

namespace {

constexpr int32_t kFileAlreadyExists = 58;
constexpr int32_t kPathNotFound = 76;
constexpr int32_t kUnknownServer = 3251;  // the operation is not supported by this provider
constexpr const char* kSource = "Database";

// The file behind a data source: the path itself, or the path part of a
// file: URI; empty for an in-memory database.
std::filesystem::path file_of(const std::string& data_source) {
    if (!data_source.starts_with("file:"))
        return data_source;
    std::string path = data_source.substr(5, data_source.find('?') - 5);
    if (data_source.find("mode=memory") != std::string::npos)
        return {};
    if (path.starts_with("//"))  // file://host/path: the authority is empty or localhost
        path = path.substr(path.find('/', 2));
    return path;
}

void remove_database_files(const std::filesystem::path& file) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::error_code ignored;
        std::filesystem::remove(file.string() + suffix, ignored);
    }
}

void run(ado::Session& session, std::string_view script, const std::string& what) {
    try {
        session.execute(std::string(script));
    } catch (const automation::AutomationError& error) {
        throw automation::AutomationError(error.number(), what + ": " + error.description(), error.source());
    }
}

// What a kind of database is made of: its schema and its stored routines.
struct Schema {
    std::string_view tables;
    const scripts::Script* routines;
    std::size_t routine_count;
};

// Everything in one transaction, so that a failure leaves nothing behind.
void load(ado::Session& session, const Schema& schema, bool sample) {
    run(session, "BEGIN", "begin");
    try {
        run(session, schema.tables, "schema.sql");
        for (std::size_t i = 0; i < schema.routine_count; ++i)
            run(session, schema.routines[i].text, std::string(schema.routines[i].name));
        if (sample)
            run(session, scripts::sample, "sample.sql");
        // Each key counter starts at the highest key already issued, so that
        // the first key drawn is the next one.
        run(session,
            "DELETE FROM Infra_Chave WHERE NOME_COLUNA IN ('PEDIDO_ID', 'PEDIDO_ITEM_ID'); "
            "INSERT INTO Infra_Chave (NOME_COLUNA, ULTIMO_VALOR) "
            "SELECT 'PEDIDO_ID', COALESCE(MAX(PEDIDO_ID), 0) FROM PEDIDO "
            "UNION ALL SELECT 'PEDIDO_ITEM_ID', COALESCE(MAX(PEDIDO_ITEM_ID), 0) FROM PEDIDO_ITEM",
            "key counters");
        run(session, "COMMIT", "commit");
    } catch (...) {
        try {
            session.execute("ROLLBACK");
        } catch (const automation::AutomationError&) {
            // the session is gone with its transaction
        }
        throw;
    }
}

const Schema kEmbedded{scripts::schema, scripts::procedures, scripts::procedure_count};
const Schema kPostgreSQL{scripts::postgresql::schema, scripts::postgresql::routines,
                         scripts::postgresql::routine_count};

// The first column of the first row a query answers, as text; "" for none.
std::string first_text(ado::Session& session, const std::string& sql) {
    const ado::ResultSet answer = session.execute(sql);
    if (answer.row_count() == 0 || answer.at(0, 0).is_null())
        return {};
    return automation::to_text(answer.at(0, 0));
}

}  // namespace

void create_database(const std::string& path, bool sample, bool overwrite) {
    const std::filesystem::path file = file_of(path);
    if (!file.empty()) {
        if (std::filesystem::exists(file)) {
            if (!overwrite)
                throw automation::AutomationError(kFileAlreadyExists,
                                                  "The database '" + file.string() + "' already exists.", kSource);
            remove_database_files(file);
        }
        const auto folder = std::filesystem::absolute(file).parent_path();
        if (!std::filesystem::is_directory(folder))
            throw automation::AutomationError(kPathNotFound, "The folder '" + folder.string() + "' does not exist.",
                                              kSource);
    }
    try {
        auto session = sqlite::open_database(path, true);
        load(*session, kEmbedded, sample);
    } catch (...) {
        // Leave no half-made database behind.
        if (!file.empty())
            remove_database_files(file);
        throw;
    }
}

void create_database_on(const std::string& connection_string, bool sample, bool overwrite) {
    const ado::ConnectionString parsed(connection_string);
    const std::string provider = parsed.get("Provider");
    if (provider.empty() || strcasecmp(provider.c_str(), sqlite::kProviderName) == 0)
        return create_database(parsed.get("Data Source"), sample, overwrite);

    auto session = ado::open_session(connection_string);
    if (!first_text(*session, "SELECT version()").starts_with("PostgreSQL"))
        throw automation::AutomationError(kUnknownServer,
                                          "The schema can be created on a PostgreSQL server only; on any other "
                                          "server the tables and procedures are the server's own.",
                                          kSource);
    const bool present =
        first_text(*session, "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = current_schema() "
                             "AND table_name IN ('pedido', 'pedido_item', 'infra_chave')") != "0";
    if (present && !overwrite)
        throw automation::AutomationError(kFileAlreadyExists, "The database already holds the schema.", kSource);
    if (present)
        run(*session, scripts::postgresql::drop, "drop.sql");
    load(*session, kPostgreSQL, sample);
}

std::string connection_string(const std::string& path) {
    // A path with a ';' of its own is quoted so that it stays one value.
    const bool quoted = path.find(';') != std::string::npos && path.find('"') == std::string::npos;
    return std::string("Provider=") + sqlite::kProviderName + ";Data Source=" + (quoted ? '"' + path + '"' : path);
}

}  // namespace zolt::db
