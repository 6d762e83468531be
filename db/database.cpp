// Creating embedded databases from the scripts built into the program.
#include "db/database.h"

#include <filesystem>
#include <system_error>

#include "db/scripts.h"
#include "platform/ado/ado.h"
#include "platform/sqlite/sqlite.h"

namespace zolt::db {

namespace {

constexpr int32_t kFileAlreadyExists = 58;
constexpr int32_t kPathNotFound = 76;
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

void load(ado::Session& session, bool sample) {
    run(session, "BEGIN", "begin");
    run(session, scripts::schema, "schema.sql");
    for (std::size_t i = 0; i < scripts::procedure_count; ++i)
        run(session, scripts::procedures[i].text, std::string(scripts::procedures[i].name));
    if (sample)
        run(session, scripts::sample, "sample.sql");
    // Each key counter starts at the highest key already issued, so that the
    // first key drawn is the next one.
    run(session,
        "INSERT OR REPLACE INTO Infra_Chave (NOME_COLUNA, ULTIMO_VALOR) "
        "SELECT 'PEDIDO_ID', COALESCE(MAX(PEDIDO_ID), 0) FROM PEDIDO "
        "UNION ALL SELECT 'PEDIDO_ITEM_ID', COALESCE(MAX(PEDIDO_ITEM_ID), 0) FROM PEDIDO_ITEM",
        "key counters");
    run(session, "COMMIT", "commit");
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
        load(*session, sample);
    } catch (...) {
        // Leave no half-made database behind.
        if (!file.empty())
            remove_database_files(file);
        throw;
    }
}

std::string connection_string(const std::string& path) {
    // A path with a ';' of its own is quoted so that it stays one value.
    const bool quoted = path.find(';') != std::string::npos && path.find('"') == std::string::npos;
    return std::string("Provider=") + sqlite::kProviderName + ";Data Source=" + (quoted ? '"' + path + '"' : path);
}

}  // namespace zolt::db
