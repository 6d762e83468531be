// The frame every method of ZOLT shares.
#include "component/frame.h"

#include <array>

#include "platform/per_thread.h"

namespace zolt::component {

namespace {

// The trailer is meant for the user with id 1 only. The id is compared as a
// number: a number 1, or a text (or an object's value) that reads as 1. Any
// other value, including one that cannot be compared at all, does not count.
bool is_first_user(const Variant& user_id) noexcept {
    try {
        const Variant value = automation::value_of(user_id);
        if (value.is_array() || value.is_object() || !automation::is_numeric(value))
            return false;
        return automation::to_double(value) == 1.0;
    } catch (...) {
        return false;
    }
}

std::string trailer(TrailerForm form, std::string_view method, const std::string& description, int step,
                    const std::string& statement) {
    const std::string error_text = description + " : " + " No Nº " + std::to_string(step);
    const std::string name(method);
    switch (form) {
        case TrailerForm::Public:
            return " - TvrZOLT." + name + ". ( " + error_text + ") " + statement;
        case TrailerForm::Validation:
            return " - TvrZOLT." + name + ". ( " + error_text + ") ";
        case TrailerForm::Emulation:
            return " - " + name + " (" + error_text + ")" + statement;
    }
    return {};
}

using LiteralWrite = Variant (outside::LiteralWriter::*)(Variant, std::string&);

std::string bare_literal(LiteralWrite write, const Variant& value) {
    std::string no_operator;
    Variant literal = (outside::writer().*write)(value, no_operator);
    return literal.is_text() ? std::move(literal).text() : text(literal);
}

}  // namespace

void Handler::handle(const automation::AutomationError& error) {
    std::string text(user_message_);
    if (is_first_user(user_id_))
        text += trailer(form_, method_, error.description(), step_, statement);
    message_ = Variant(std::move(text));
}

namespace {

struct StatementRoom {
    static constexpr std::size_t kDepth = 8;  // more than calls nest
    static constexpr std::size_t kLargest = 4096;  // a text with more room than this is not kept
    std::array<std::string, kDepth> texts;
    std::size_t depth = 0;
};

}  // namespace

std::string& Handler::take_room(std::string& own) noexcept {
    StatementRoom* room = PerThread<StatementRoom>::get();
    if (!room || room->depth == StatementRoom::kDepth)
        return own;
    return room->texts[room->depth++];
}

void Handler::give_room(std::string& statement, std::string& own) noexcept {
    if (&statement == &own)
        return;
    if (statement.capacity() > StatementRoom::kLargest)
        std::string().swap(statement);
    statement.clear();
    if (StatementRoom* room = PerThread<StatementRoom>::made())
        --room->depth;
}

com::HRESULT Handler::report(const automation::AutomationError& error) {
    com::set_error_info({error.number(), error.description(), error.source()});
    return com::E_FAIL;
}

bool is_oracle(const Variant& database_kind) {
    // A text is the usual kind, and the rule compares two texts as they stand.
    if (database_kind.is_text())
        return database_kind.text() == "ORACLE";
    return automation::is_true(automation::equals(database_kind, Variant("ORACLE")));
}

std::string exec_start(std::string_view procedure) {
    // With room for the arguments, so that appending them moves nothing.
    std::string statement;
    statement.reserve(256);
    statement.append("EXEC ").append(procedure).append("   ");
    return statement;
}

std::string exec_call(std::string_view procedure, std::initializer_list<Variant> formatted_arguments) {
    std::string statement = exec_start(procedure);
    const char* separator = "";
    for (const Variant& formatted : formatted_arguments) {
        statement += separator + text(formatted);
        separator = ", ";
    }
    return statement;
}

std::string kind_text(const Variant& database_kind) { return automation::format(database_kind); }

std::string connection_text(const Variant& connection) { return automation::to_text(connection); }

int32_t id_value(const Variant& value) { return automation::to_long(outside::formatter().NumberValue(value)); }

Variant user_text(const Variant& user_id) { return Variant(automation::format(user_id)); }

std::optional<ado::Recordset> open_statement(Style style, const std::string& statement, const Variant& connection) {
    std::optional<ado::Recordset> recordset(std::in_place);
    if (style == Style::Query) {
        recordset->set_cursor_location(ado::kAdUseClient);
        recordset->open(statement, connection, 3, 1, -1);
    } else {
        recordset->open(statement, connection, -1, -1, -1);
    }
    return recordset;
}

namespace {

// The connection text of the last emulated write on this thread, as the text
// Variant a recordset opens its own connection from: a thread writes to one
// database call after call, so the text is rarely made again.
struct WriteConnection {
    Variant text;
};

}  // namespace

void run_emulated_write(const std::string& statement, const std::string& connection_text) {
    WriteConnection* kept = PerThread<WriteConnection>::get();
    const Variant made = kept ? Variant() : Variant(connection_text);
    if (kept && (!kept->text.is_text() || kept->text.text() != connection_text))
        kept->text = Variant(connection_text);
    ado::Recordset recordset;
    recordset.set_cursor_location(ado::kAdUseClient);
    recordset.open(statement, kept ? kept->text : made, -1, -1, -1);
    if (recordset.state() != 0 && !recordset.eof())
        recordset.close();
}

std::string number_literal(const Variant& value) { return bare_literal(&outside::LiteralWriter::WriteNumber, value); }

std::string text_literal(const Variant& value) { return bare_literal(&outside::LiteralWriter::WriteText, value); }

std::string date_literal(const Variant& value) { return bare_literal(&outside::LiteralWriter::WriteDate, value); }

bool next_key(outside::KeyGenerator& keys, const std::string& kind, const Variant& user_text,
              const std::string& connection, const std::string& column, std::string& message, int32_t& key) {
    Variant key_connection;  // handed back by the generator, not used
    return keys.NextKey(kind, automation::to_long(user_text), int16_t{1}, "TOVREL", "N", key_connection, connection,
                        column, message, key);
}

bool record_operation(outside::KeyGenerator& keys, std::string& kind, int32_t entity, int32_t operation,
                      const Variant& user_text, int32_t key, std::string& message, std::string& connection) {
    auto& formatter = outside::formatter();
    int32_t user_id = automation::to_long(formatter.NumberValue(user_text));
    int32_t written_key = automation::to_long(formatter.NumberValue(Variant(key)));
    int32_t unused = 0;
    return keys.RecordOperation(kind, entity, operation, user_id, written_key, unused, message, connection);
}

void order_id_answer(int32_t pedido_id, std::string& statement) {
    const std::string number = text(outside::formatter().NumberValue(Variant(pedido_id)));
    statement.assign("Select 0 Retorno, '' Msg_Ret, ").append(number).append(" Pedido_ID From Infra_IDS ");
}

std::string order_id_answer(int32_t pedido_id) {
    std::string statement;
    order_id_answer(pedido_id, statement);
    return statement;
}

bool required_number(std::string_view label, Variant& value, Variant& user_id, Variant& message) {
    Variant label_text(label), minimum(int16_t{1}), unused(""), required("S");
    return outside::validator().CheckNumber(label_text, value, minimum, unused, user_id, message, required);
}

bool procedure_succeeded(ado::Recordset& answer, Variant& message, std::string_view failure_message) {
    if (answer.state() == 0 || answer.eof()) {
        message = Variant(failure_message);
        return false;
    }
    const Variant status = outside::formatter().NumberValue(answer.field_object("RETORNO"));
    if (automation::is_true(automation::not_equals(status, Variant::integer(0)))) {
        answer.close();
        return false;
    }
    return true;
}

}  // namespace zolt::component
