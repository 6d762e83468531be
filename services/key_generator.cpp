#include "services/implementations.h"
#include "services/values.h"

namespace zolt::services {

bool KeyGeneratorService::NextKey(std::string kind, int32_t user_id, int16_t one, std::string system,
                                  std::string flag, Variant& connection, std::string connection_text,
                                  std::string column, std::string& message, int32_t& key) {
    try {
        // One statement, so that the counter is read and raised atomically
        // even when several connections draw keys at once.
        auto keys = std::make_shared<ado::Connection>(connection_text);
        const ado::ResultSet answer = keys->session().execute(
            "UPDATE Infra_Chave SET ULTIMO_VALOR = ULTIMO_VALOR + 1 WHERE NOME_COLUNA = " + quoted(column) +
            " RETURNING ULTIMO_VALOR");
        keys->close();
        connection = Variant(automation::ObjectPtr(keys));
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
        std::string statement;
        statement.reserve(160);
        statement = "INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA) VALUES (";
        for (const int32_t value : {entity, operation, user_id, key})
            statement.append(std::to_string(value)).append(", ");
        statement += "getdate())";
        ado::Connection(connection_text).session().execute(statement);
        return true;
    } catch (const automation::AutomationError&) {
        message = "Não foi possível registrar a operação.";
        return false;
    }
}

}  // namespace zolt::services
