// The embedded database engine, reached through the data layer under the
// provider name "SQLite" ("Provider=SQLite;Data Source=PATH").
#pragma once

#include <memory>
#include <string>

#include "platform/ado/ado.h"

namespace zolt::sqlite {

inline constexpr const char* kProviderName = "SQLite";

// A session on the database at data_source (a path or a file: URI). A missing
// database file is an error unless create is set, which makes an empty one.
std::unique_ptr<ado::Session> open_database(const std::string& data_source, bool create);

}  // namespace zolt::sqlite
