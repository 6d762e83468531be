// Creating embedded databases: schema, stored procedures, key counters and
// sample data.
#pragma once

#include <string>

namespace zolt::db {

// Creates a database at path (a plain path or a file: URI) with the schema,
// the stored procedures and the key counters, and with sample the sample
// data. An existing file is refused unless overwrite is set. Failures raise
// automation::AutomationError.
void create_database(const std::string& path, bool sample, bool overwrite = false);

// The same on the database a connection string names: an embedded database
// file, or the schema, routines and key counters on a PostgreSQL server
// (where an existing schema is refused unless overwrite is set, and then
// replaced).
void create_database_on(const std::string& connection_string, bool sample, bool overwrite = false);

// "Provider=SQLite;Data Source=<path>"
std::string connection_string(const std::string& path);

}  // namespace zolt::db
