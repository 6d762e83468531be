#include <charconv>

#include "platform/per_thread.h"
#include "services/implementations.h"
#include "services/values.h"

namespace zolt::services {

namespace {

// The room a thread writes its operation records in, kept from one to the next.
struct RecordText {
    std::string statement;
};

// Appends a whole number in decimal, without a text of its own.
void append_number(std::string& text, int32_t value) {
    char digits[12];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, written.ptr);
}

}  // namespace

bool KeyGeneratorService::NextKey(std::string kind, int32_t user_id, int16_t one, std::string system,
                                  std::string flag, Variant& connection, std::string connection_text,
                                  std::string column, std::string& message, int32_t& key) {
    try {
        // One statement, so that the counter is read and raised atomically
        // even when several connections draw keys at once.
        constexpr std::string_view kStart =
            "UPDATE Infra_Chave SET ULTIMO_VALOR = ULTIMO_VALOR + 1 WHERE NOME_COLUNA = ";
        constexpr std::string_view kEnd = " RETURNING ULTIMO_VALOR";
        std::string statement;
        statement.reserve(kStart.size() + column.size() + 2 + kEnd.size());
        statement.append(kStart).append(quoted(column)).append(kEnd);
        auto keys = std::make_shared<ado::Connection>(connection_text);
        ado::ResultSet answer;
        keys->session().execute(statement, answer);
        keys->close();
        connection = Variant(automation::ObjectPtr(std::move(keys)));
        if (answer.row_count() > 0) {
            key = automation::to_long(answer.at(0, 0));
            return true;
        }
    } catch (const automation::AutomationError&) {
        // reported below as a refusal
    }
    message = "Não foi possível gerar a chave " + column + ".";
    return false;
}

bool KeyGeneratorService::RecordOperation(std::string& kind, int32_t& entity, int32_t& operation, int32_t& user_id,
                                          int32_t& key, int32_t& unused, std::string& message,
                                          std::string& connection_text) {
    try {
        RecordText* room = PerThread<RecordText>::get();
        std::string own;
        std::string& statement = room ? room->statement : own;
        statement = "INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA) VALUES (";
        for (const int32_t value : {entity, operation, user_id, key}) {
            append_number(statement, value);
            statement.append(", ");
        }
        statement += "getdate())";
        ado::Connection operations(connection_text);
        ado::ResultSet answer;
        operations.session().execute(statement, answer);
        return true;
    } catch (const automation::AutomationError&) {
        message = "Não foi possível registrar a operação.";
        return false;
    }
}

}  // namespace zolt::services
