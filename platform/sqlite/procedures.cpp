// Creating and running stored procedures.
#include "platform/sqlite/procedures.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "platform/automation/variant.h"

namespace zolt::sqlite {

namespace {

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS Infra_Procedimento ("
    "NOME TEXT PRIMARY KEY COLLATE NOCASE, PARAMETROS TEXT NOT NULL, CORPO TEXT NOT NULL)";

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

[[noreturn]] void refuse_argument(const std::string& procedure, const Parameter& parameter, const Argument& argument,
                                  std::string_view expected) {
    const std::string_view quote = argument.kind == Literal::Kind::Text ? "'" : "";
    raise_provider_error("Procedure " + procedure + ": parameter " + parameter.name + " expects " +
                         std::string(expected) + ", not " + std::string(quote) + std::string(argument.text) +
                         std::string(quote) + ".");
}

Value number_from(const std::string& procedure, const Parameter& parameter, const Argument& argument) {
    Value value;
    switch (argument.kind) {
    case Literal::Kind::Null:
        return value;
    case Literal::Kind::Integer:
        value.kind = Value::Kind::Integer;
        value.integer = argument.integer;
        return value;
    case Literal::Kind::Real:
        value.kind = Value::Kind::Real;
        value.real = argument.real;
        return value;
    case Literal::Kind::Text: {
        // A numeric text is taken as its number, as a server converts it.
        const std::string_view text = trim(argument.text);
        const char* first = text.data() + (text.starts_with('+') ? 1 : 0);
        const char* last = text.data() + text.size();
        if (!text.empty()) {
            if (auto [end, ec] = std::from_chars(first, last, value.integer); ec == std::errc() && end == last) {
                value.kind = Value::Kind::Integer;
                return value;
            }
            if (auto [end, ec] = std::from_chars(first, last, value.real); ec == std::errc() && end == last) {
                value.kind = Value::Kind::Real;
                return value;
            }
        }
        refuse_argument(procedure, parameter, argument, "a number");
    }
    }
    return value;
}

Value convert(const std::string& procedure, const Parameter& parameter, const Argument& argument) {
    Value value;
    if (argument.kind == Literal::Kind::Null)
        return value;
    switch (parameter.type) {
    case ParameterType::Integer: {
        if (argument.kind == Literal::Kind::Integer && argument.integer >= INT32_MIN && argument.integer <= INT32_MAX) {
            value.kind = Value::Kind::Integer;  // the usual argument, already what the conversion gives
            value.integer = argument.integer;
            return value;
        }
        // A whole number of 32 bits, converted as the component converts its
        // ids: halves round to the even neighbour, beyond the range is refused.
        value = number_from(procedure, parameter, argument);
        const double number = value.kind == Value::Kind::Integer ? static_cast<double>(value.integer) : value.real;
        try {
            value.integer = automation::to_long(automation::Variant(number));
        } catch (const automation::AutomationError&) {
            refuse_argument(procedure, parameter, argument, "a whole number of 32 bits");
        }
        value.kind = Value::Kind::Integer;
        return value;
    }
    case ParameterType::Real:
        value = number_from(procedure, parameter, argument);
        if (value.kind == Value::Kind::Integer) {
            value.kind = Value::Kind::Real;
            value.real = static_cast<double>(value.integer);
        }
        return value;
    case ParameterType::Text:
        value.kind = Value::Kind::Text;
        value.text = argument.text;
        return value;
    case ParameterType::Date: {
        if (argument.kind != Literal::Kind::Text || !parse_julian_day(trim(argument.text), value.real))
            refuse_argument(procedure, parameter, argument, "a date 'yyyy-mm-ddThh:mm:ss'");
        value.kind = Value::Kind::Real;
        return value;
    }
    }
    return value;
}

}  // namespace

sqlite3_stmt* ProcedureCatalog::control(StatementPtr& slot, const char* sql) {
    if (!slot) {
        std::string_view tail;
        slot = prepare(db_, sql, tail, true);
    }
    return slot.get();
}

ProcedureCatalog::Procedure ProcedureCatalog::compile(const std::string& name, const std::string& parameters,
                                                      const std::string& body) const {
    Procedure procedure;
    procedure.name = name;
    procedure.parameters = parse_parameters(parameters);
    const std::string engine_sql = needs_rewrite(body) ? rewrite_inline_sql(body) : body;
    std::string_view rest = engine_sql;
    while (!skip_blanks_and_comments(rest).empty()) {
        BodyStatement entry;
        try {
            entry.statement = prepare(db_, rest, rest, true);
        } catch (const automation::AutomationError& error) {
            raise_provider_error("Procedure " + name + ": " + error.description());
        }
        if (!entry.statement)
            break;
        const int count = sqlite3_bind_parameter_count(entry.statement.get());
        entry.parameter_of.resize(static_cast<std::size_t>(count) + 1);
        for (int position = 1; position <= count; ++position) {
            const char* used = sqlite3_bind_parameter_name(entry.statement.get(), position);
            std::size_t declared = 0;
            while (used && declared < procedure.parameters.size() &&
                   !same_word(procedure.parameters[declared].name.substr(1), used + 1))
                ++declared;
            if (!used || declared == procedure.parameters.size())
                raise_provider_error("Procedure " + name + " uses " + (used ? std::string(used) : "?") +
                                     ", which is not one of its parameters.");
            entry.parameter_of[static_cast<std::size_t>(position)] = declared;
        }
        procedure.writes = procedure.writes || !sqlite3_stmt_readonly(entry.statement.get());
        procedure.body.push_back(std::move(entry));
    }
    return procedure;
}

void ProcedureCatalog::create(const ProcedureDefinition& definition) {
    Procedure procedure = compile(definition.name, definition.parameters, definition.body);
    execute(db_, kCreateTable);
    std::string_view tail;
    StatementPtr insert =
        prepare(db_, "INSERT INTO Infra_Procedimento (NOME, PARAMETROS, CORPO) VALUES (?1, ?2, ?3)", tail, false);
    sqlite3_bind_text(insert.get(), 1, definition.name.data(), static_cast<int>(definition.name.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert.get(), 2, definition.parameters.data(), static_cast<int>(definition.parameters.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(insert.get(), 3, definition.body.data(), static_cast<int>(definition.body.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(insert.get());
    if (rc == SQLITE_CONSTRAINT)
        raise_provider_error("There is already a procedure named '" + definition.name + "' in the database.");
    if (rc != SQLITE_DONE)
        raise_engine_error(db_);
    compiled_.insert_or_assign(upper(definition.name), std::move(procedure));
}

ProcedureCatalog::Procedure& ProcedureCatalog::known_as(const std::string& name, Procedure& procedure) {
    if (by_written_name_.size() == kWrittenNames)
        by_written_name_.clear();
    by_written_name_.emplace(name, &procedure);
    return procedure;
}

ProcedureCatalog::Procedure& ProcedureCatalog::find_last(const std::string& name) {
    if (!last_ || name != last_name_) {
        last_ = nullptr;  // until the name is found
        Procedure& procedure = find(name);
        last_name_ = name;
        last_ = &procedure;
    }
    return *last_;
}

ProcedureCatalog::Procedure& ProcedureCatalog::find(const std::string& name) {
    if (const auto known = by_written_name_.find(name); known != by_written_name_.end())
        return *known->second;
    const std::string key = upper(name);
    if (auto found = compiled_.find(key); found != compiled_.end())
        return known_as(name, found->second);

    const std::string unknown = "Could not find stored procedure '" + name + "'.";
    std::string_view tail;
    StatementPtr lookup;
    try {
        lookup = prepare(db_, "SELECT PARAMETROS, CORPO FROM Infra_Procedimento WHERE NOME = ?1", tail, false);
    } catch (const automation::AutomationError&) {
        raise_provider_error(unknown);  // no procedure was ever stored in this database
    }
    sqlite3_bind_text(lookup.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(lookup.get());
    if (rc == SQLITE_DONE)
        raise_provider_error(unknown);
    if (rc != SQLITE_ROW)
        raise_engine_error(db_);
    auto column = [&](int i) {
        return std::string(reinterpret_cast<const char*>(sqlite3_column_text(lookup.get(), i)),
                           static_cast<std::size_t>(sqlite3_column_bytes(lookup.get(), i)));
    };
    Procedure procedure = compile(name, column(0), column(1));
    return known_as(name, compiled_.insert_or_assign(key, std::move(procedure)).first->second);
}

void ProcedureCatalog::roll_back(bool outermost) {
    // A failing statement may already have ended the transaction; undoing
    // what is left is all that matters here, so failures are not reported.
    auto step = [](sqlite3_stmt* statement) {
        sqlite3_step(statement);
        sqlite3_reset(statement);
    };
    if (!outermost) {
        step(control(rollback_to_, "ROLLBACK TO zolt_procedure"));
        step(control(release_, "RELEASE zolt_procedure"));
    } else if (!sqlite3_get_autocommit(db_)) {
        step(control(rollback_, "ROLLBACK"));
    }
}

void ProcedureCatalog::bind_arguments(BodyStatement& entry) {
    sqlite3_stmt* statement = entry.statement.get();
    for (std::size_t position = 1; position < entry.parameter_of.size(); ++position)
        bind(db_, statement, static_cast<int>(position), values_[entry.parameter_of[position]]);
}

void ProcedureCatalog::call(const ProcedureCall& call, ado::ResultSet& answer) {
    Procedure& procedure = find_last(call.procedure);
    const auto& parameters = procedure.parameters;
    if (call.arguments.size() > parameters.size())
        raise_provider_error("Procedure " + procedure.name + " has too many arguments specified: it expects " +
                             std::to_string(parameters.size()) + ".");
    if (call.arguments.size() < parameters.size())
        raise_provider_error("Procedure " + procedure.name + " expects parameter " +
                             parameters[call.arguments.size()].name + ", which was not supplied.");
    values_.resize(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i)
        values_[i] = convert(procedure.name, parameters[i], call.arguments[i]);

    // A single statement is atomic on its own, and answers straight into
    // answer, whose room and column names are then those of its last run.
    if (procedure.body.size() == 1) {
        BodyStatement& entry = procedure.body.front();
        bind_arguments(entry);
        run(db_, entry.statement.get(), &entry.columns, answer);
        return;
    }

    // A body of several statements runs in one transaction (a savepoint
    // inside the caller's own). One that writes takes the write lock at once,
    // so that sessions running procedures wait for each other instead of
    // deadlocking; one that only reads sees one state of the database
    // throughout.
    const bool transaction = procedure.body.size() > 1;
    const bool outermost = sqlite3_get_autocommit(db_) != 0;
    if (transaction) {
        // What ends the transaction is ready before it starts, so that a
        // failure inside it (even out of memory) can always be undone.
        if (outermost) {
            control(commit_, "COMMIT");
            control(rollback_, "ROLLBACK");
        } else {
            control(release_, "RELEASE zolt_procedure");
            control(rollback_to_, "ROLLBACK TO zolt_procedure");
        }
        if (!outermost)
            run(db_, control(savepoint_, "SAVEPOINT zolt_procedure"));
        else
            run(db_, procedure.writes ? control(begin_immediate_, "BEGIN IMMEDIATE") : control(begin_, "BEGIN"));
    }
    answer.has_result = false;
    answer.columns.reset();
    answer.values.clear();
    try {
        for (auto& entry : procedure.body) {
            bind_arguments(entry);
            run(db_, entry.statement.get(), &entry.columns, result_);
            if (result_.has_result)
                std::swap(answer, result_);
        }
        if (transaction)
            run(db_, outermost ? control(commit_, "COMMIT") : control(release_, "RELEASE zolt_procedure"));
    } catch (...) {
        if (transaction)
            roll_back(outermost);
        throw;
    }
}

}  // namespace zolt::sqlite
