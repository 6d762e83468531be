// Stored procedures of the embedded engine: kept in the table
// Infra_Procedimento, compiled once per session, run atomically.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/sqlite/engine.h"
#include "platform/sqlite/sql_text.h"

namespace zolt::sqlite {

class ProcedureCatalog {
public:
    explicit ProcedureCatalog(sqlite3* db) : db_(db) {}

    // Checks the definition against the current schema and stores it.
    void create(const ProcedureDefinition& definition);
    // Runs the procedure in one transaction (a savepoint when one is already
    // open); the answer is the result set of its last statement with columns.
    // The arguments stay bound to the body's statements after the call: each
    // call binds every parameter afresh before anything runs, and nothing
    // reads them in between.
    void call(const ProcedureCall& call, ado::ResultSet& answer);

private:
    struct BodyStatement {
        StatementPtr statement;
        std::vector<std::size_t> parameter_of;  // declared parameter of each bind position, from 1
        Columns columns;
    };
    struct Procedure {
        std::string name;
        std::vector<Parameter> parameters;
        std::vector<BodyStatement> body;
        bool writes = false;  // some statement of the body changes the database
    };

    Procedure compile(const std::string& name, const std::string& parameters, const std::string& body) const;
    Procedure& find(const std::string& name);
    // The same, for the name of the last call first: calls repeat.
    Procedure& find_last(const std::string& name);
    void bind_arguments(BodyStatement& entry);
    Procedure& known_as(const std::string& name, Procedure& procedure);
    sqlite3_stmt* control(StatementPtr& slot, const char* sql);
    void roll_back(bool outermost);

    sqlite3* db_;
    std::unordered_map<std::string, Procedure> compiled_;  // by upper-case name
    // Procedures called before, by their names as written: calls repeat, and
    // are found again without writing the name in upper case.
    static constexpr std::size_t kWrittenNames = 64;
    std::unordered_map<std::string, Procedure*> by_written_name_;
    Procedure* last_ = nullptr;  // called last, as last_name_
    std::string last_name_;
    std::vector<Value> values_;  // the arguments of the call running
    ado::ResultSet result_;      // the result of the body statement running
    StatementPtr begin_immediate_, begin_, commit_, rollback_, savepoint_, release_, rollback_to_;
};

}  // namespace zolt::sqlite
