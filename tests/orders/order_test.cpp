#include "tests/orders/order_test.h"

#include <sstream>

namespace zolt::orders_test {

namespace {

std::string joined(const std::vector<Variant>& values) {
    std::string line;
    for (const Variant& value : values) {
        if (!line.empty())
            line += "|";
        line += value.is_null() ? "NULL" : automation::to_text(value);
    }
    return line;
}

template <class... Values>
std::string call_text(const Values&... values) {
    std::ostringstream out;
    ((out << values << "|"), ...);
    std::string text = out.str();
    text.pop_back();
    return text;
}

class ScriptedKeyGenerator : public outside::KeyGenerator {
public:
    ScriptedKeyGenerator(ScriptedKeys& script, std::shared_ptr<outside::KeyGenerator> real)
        : script_(script), real_(std::move(real)) {}

    bool NextKey(std::string kind, int32_t user_id, int16_t one, std::string system, std::string flag,
                 Variant& connection, std::string connection_text, std::string column, std::string& message,
                 int32_t& key) override {
        script_.calls.push_back(call_text("NextKey", kind, user_id, one, system, flag, connection_text, column));
        if (script_.refuse_key) {
            message = "Chave recusada.";
            return false;
        }
        return real_->NextKey(kind, user_id, one, system, flag, connection, connection_text, column, message, key);
    }

    bool RecordOperation(std::string& kind, int32_t& entity, int32_t& operation, int32_t& user_id, int32_t& key,
                         int32_t& unused, std::string& message, std::string& connection_text) override {
        script_.calls.push_back(
            call_text("RecordOperation", kind, entity, operation, user_id, key, unused, connection_text));
        if (script_.refuse_record) {
            message = "Registro recusado.";
            return false;
        }
        return real_->RecordOperation(kind, entity, operation, user_id, key, unused, message, connection_text);
    }

private:
    ScriptedKeys& script_;
    std::shared_ptr<outside::KeyGenerator> real_;
};

class FailingWriter : public outside::LiteralWriter {
public:
    explicit FailingWriter(std::string description) : description_(std::move(description)) {}
    Variant WriteDate(Variant, std::string&) override { fail(); }
    Variant WriteNumber(Variant, std::string&) override { fail(); }
    Variant WriteText(Variant, std::string&) override { fail(); }

private:
    [[noreturn]] void fail() const { throw automation::AutomationError(5, description_, "LiteralWriter"); }
    std::string description_;
};

}  // namespace

Variant OrderTest::query(Variant id, Variant kind, OrderFields& out) {
    Variant result;
    EXPECT_EQ(zolt().gConsulta_Campos_PEDIDO(id, out.number, out.supplier_id, out.supplier, user, connection, message,
                                             kind, out.client_id, out.client, result),
              com::S_OK);
    return result;
}

bool OrderTest::duplicate(Variant id, Variant number, Variant supplier, Variant kind) {
    bool result = true;
    EXPECT_EQ(zolt().gVerifica_Duplicidade_PEDIDO(id, number, supplier, user, connection, message, kind, result),
              com::S_OK);
    return result;
}

bool OrderTest::validate(Variant id, Variant number, Variant supplier, Variant client, Variant flag, Variant kind) {
    Variant status, out_id = kUnset;
    bool result = true;
    EXPECT_EQ(zolt().mConsiste_Campos_Pedido(id, status, number, supplier, out_id, user, connection, message, kind,
                                             flag, client, result),
              com::S_OK);
    EXPECT_EQ(out_id, kUnset);
    return result;
}

Variant OrderTest::insert(Variant number, Variant supplier, Variant client, Variant kind, Variant& new_id,
                          Variant status) {
    Variant result;
    EXPECT_EQ(zolt().gInclui_Campos_PEDIDO(status, number, supplier, new_id, user, connection, message, kind, client,
                                           result),
              com::S_OK);
    return result;
}

Variant OrderTest::update(Variant id, Variant number, Variant supplier, Variant client, Variant kind,
                          Variant status) {
    Variant result, out_id = kUnset;
    EXPECT_EQ(zolt().gAltera_Campos_PEDIDO(id, status, number, supplier, out_id, user, connection, message, kind,
                                           client, result),
              com::S_OK);
    EXPECT_EQ(out_id, kUnset);
    return result;
}

Variant OrderTest::remove(Variant id, Variant kind) {
    Variant result;
    EXPECT_EQ(zolt().gExclui_Campos_PEDIDO(id, user, connection, message, kind, result), com::S_OK);
    return result;
}

std::string new_order_count(const std::string& number, const std::string& supplier) {
    return " SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO  WHERE  NUM_PEDIDO_EXTERNO =  " + number +
           " AND  FORNECEDOR_ID =  " + supplier + "  AND TAB_STATUS_ID = 1 ";
}

std::string existing_order_count(const std::string& number, const std::string& supplier, const std::string& id) {
    return " SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO  WHERE  NUM_PEDIDO_EXTERNO =  " + number +
           " And FORNECEDOR_ID =  " + supplier + " AND TAB_STATUS_ID = 1  And PEDIDO_ID <>  " + id + " ";
}

std::vector<std::string> texts(const test::TempDatabase& db, const std::string& sql) {
    std::vector<std::string> lines;
    for (const auto& row : db.rows(sql))
        lines.push_back(joined(row));
    return lines;
}

std::string OrderTest::order(int id) const {
    const auto lines = texts("SELECT EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID, Cliente_ID "
                             "FROM PEDIDO WHERE PEDIDO_ID = " + std::to_string(id));
    return lines.empty() ? "" : lines.front();
}

std::vector<std::string> OrderTest::operations() const {
    return texts("SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao ORDER BY OPERACAO_ID");
}

std::string OrderTest::last_key() const {
    return automation::to_text(db.scalar("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ID'"));
}

std::string error_of(const test::TempDatabase& db, const std::string& statement) {
    try {
        ado::Recordset recordset;
        recordset.open(Variant(statement), Variant(db.connection_string()));
    } catch (const automation::AutomationError& e) {
        return e.description();
    }
    ADD_FAILURE() << "no error from: " << statement;
    return {};
}

ScriptedKeys::ScriptedKeys()
    : scoped_(outside::clsid::kKeyGenerator, [this, real = com::find_class(outside::clsid::kKeyGenerator)] {
          auto generator = std::make_shared<ScriptedKeyGenerator>(
              *this, std::dynamic_pointer_cast<outside::KeyGenerator>(real()));
          last = generator;
          return std::shared_ptr<com::Unknown>(generator);
      }) {}

com::ClassFactoryFunction failing_writer_class(std::string description) {
    return [description] { return std::shared_ptr<com::Unknown>(std::make_shared<FailingWriter>(description)); };
}

}  // namespace zolt::orders_test
