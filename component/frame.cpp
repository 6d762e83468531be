// The frame every method of ZOLT shares.
#include "component/frame.h"

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

}  // namespace

void Handler::handle(const automation::AutomationError& error) {
    std::string text(user_message_);
    if (is_first_user(user_id_))
        text += trailer(form_, method_, error.description(), step_, statement);
    message_ = Variant(std::move(text));
}

com::HRESULT Handler::report(const automation::AutomationError& error) {
    com::set_error_info({error.number(), error.description(), error.source()});
    return com::E_FAIL;
}

bool is_oracle(const Variant& database_kind) { return database_kind.is_text() && database_kind.text() == "ORACLE"; }

ExecText::ExecText(std::string& statement, std::string_view procedure) : statement_(statement) {
    statement_ = "EXEC " + std::string(procedure) + "   ";
}

ExecText& ExecText::operator<<(const Variant& formatted_argument) {
    std::string argument = text(formatted_argument);
    if (!first_)
        statement_ += ", ";
    statement_ += argument;
    first_ = false;
    return *this;
}

std::string kind_text(const Variant& database_kind) { return automation::format(database_kind); }

std::string connection_text(const Variant& connection) { return automation::to_text(connection); }

int32_t id_value(const Variant& value) { return automation::to_long(outside::formatter().NumberValue(value)); }

Variant user_text(const Variant& user_id) { return Variant(automation::format(user_id)); }

std::unique_ptr<ado::Recordset> open_statement(Style style, const std::string& statement,
                                               const Variant& connection) {
    auto recordset = std::make_unique<ado::Recordset>();
    if (style == Style::Query) {
        recordset->set_cursor_location(ado::kAdUseClient);
        recordset->open(Variant(statement), connection, 3, 1, -1);
    } else {
        recordset->open(Variant(statement), connection, -1, -1, -1);
    }
    return recordset;
}

void run_emulated_write(const std::string& statement, const std::string& connection_text) {
    auto recordset = std::make_unique<ado::Recordset>();
    recordset->set_cursor_location(ado::kAdUseClient);
    recordset->open(Variant(statement), Variant(connection_text), -1, -1, -1);
    if (recordset->state() != 0 && !recordset->eof())
        recordset->close();
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
