// The database scripts, embedded in the program when it is built.
#pragma once

#include <cstddef>
#include <string_view>

namespace zolt::db::scripts {

struct Script {
    std::string_view name;  // file name
    std::string_view text;
};

extern const std::string_view schema;
extern const std::string_view sample;
// The stored procedures, one script each, in file-name order.
extern const Script procedures[];
extern const std::size_t procedure_count;

// A PostgreSQL server: its schema, what removes it, and the stored routines
// in file-name order.
namespace postgresql {
extern const std::string_view schema;
extern const std::string_view drop;
extern const Script routines[];
extern const std::size_t routine_count;
}  // namespace postgresql

}  // namespace zolt::db::scripts
