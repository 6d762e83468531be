// A plain connection of the engine's C API to a database file, with nothing
// of the data layer in between: used to set up rows and to run the floor.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

namespace zolt::bench {

class RawConnection {
public:
    // Opens the file with the durability setting the provider's own
    // connections use, and the server clock functions its SQL may call.
    explicit RawConnection(const std::string& path);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // Runs a script of statements; raises std::runtime_error on failure.
    void execute(const std::string& sql);
    // The first column of the first row as a number (0 when there is none).
    int64_t number(const std::string& sql);

    // Runs each statement text in order the plain way: prepare, step through
    // every row reading every column, finalize. Raises on the first failure.
    void replay(const std::vector<std::string>& statements);

    // Steps a prepared statement through every row, reading every column;
    // raises when it fails.
    void read_rows(sqlite3_stmt* statement, const std::string& sql);

    sqlite3* handle() { return db_; }
    [[noreturn]] void fail(const std::string& sql);

private:

    sqlite3* db_ = nullptr;
};

}  // namespace zolt::bench
