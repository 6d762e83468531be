// gInclui_Campos_PEDIDO: creates one order and hands back its new key;
// mTrataSP_QBX_INC_PEDIDO_OLT1 draws the key, inserts the row and records the
// insertion itself, then answers like the procedure would.
#include "component/frame.h"

namespace zolt::component {

namespace {
constexpr std::string_view kInsertFailed = "Erro na inclusão do pedido.";
}  // namespace

HRESULT ZOLT::gInclui_Campos_PEDIDO(Variant& InVntTab_Status_ID, Variant& InVntNum_Pedido_Externo,
                                    Variant& InVntFornecedor_ID, Variant& OutVntPedido_ID,
                                    Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                    Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& InVntCliente_ID,
                                    Variant& result) {
    start_result(result);
    Handler h("gInclui_Campos_PEDIDO", kOrderUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        // A new order has no id yet, so the validation does not ask for one.
        h.step(10);
        Variant no_order_id, flag("I");
        bool valid = false;
        check(self().mConsiste_Campos_Pedido(no_order_id, InVntTab_Status_ID, InVntNum_Pedido_Externo,
                                             InVntFornecedor_ID, OutVntPedido_ID, invntUsuario_Internet_ID,
                                             InVntConecta_DB, outvntMsg_Ret, InVntBanco_Dados, flag, InVntCliente_ID,
                                             valid));
        if (!valid)
            return;

        h.step(20);
        auto& formatter = outside::formatter();
        if (is_oracle(InVntBanco_Dados)) {
            // All values are formatted first, then converted; the connection text comes last.
            h.step(30);
            std::string kind = kind_text(InVntBanco_Dados);
            const Variant number_value = formatter.TextValue(InVntNum_Pedido_Externo);
            const Variant supplier_value = formatter.NumberValue(InVntFornecedor_ID);
            const Variant user_value = formatter.NumberValue(invntUsuario_Internet_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            const Variant client_value = formatter.NumberValue(InVntCliente_ID);
            int32_t status = 1;
            std::string number = text(number_value);
            int32_t fornecedor_id = automation::to_long(supplier_value);
            int32_t user_id = automation::to_long(user_value);
            int32_t cliente_id = automation::to_long(client_value);
            std::string connection = connection_text(InVntConecta_DB);
            h.step(40);
            if (!mTrataSP_QBX_INC_PEDIDO_OLT1(kind, connection, status, number, fornecedor_id, user_id, h.statement,
                                              outvntMsg_Ret, user, cliente_id))
                return;
        } else {
            // The procedure takes no client.
            h.step(50);
            h.statement = exec_start("SP_QBX_INC_PEDIDO_OLT1");
            h.step(60);
            h.statement += argument(formatter.SqlNumber(InVntTab_Status_ID));
            h.step(70);
            h.statement += argument(formatter.SqlText(InVntNum_Pedido_Externo));
            h.step(80);
            h.statement += argument(formatter.SqlNumber(InVntFornecedor_ID));
            h.step(90);
            h.statement += text(formatter.SqlNumber(invntUsuario_Internet_ID));
        }

        h.step(100);
        auto answer = open_statement(Style::WriteReadBack, h.statement, InVntConecta_DB);

        h.step(110);
        if (!procedure_succeeded(*answer, outvntMsg_Ret, kInsertFailed))
            return;

        // A key of 0 or Null leaves the caller's value in place.
        h.step(120);
        const Variant key = answer->field_object("PEDIDO_ID");
        if (automation::is_true(automation::not_equals(key, Variant::integer(0))))
            OutVntPedido_ID = formatter.NumberValue(key);

        h.step(130);
        answer->close();
        succeed(result);
    });
}

// The row is written with status 1 whatever status was asked for. Nothing is
// undone when recording the insertion fails: the row stays and the caller is
// told the insertion failed.
bool ZOLT::mTrataSP_QBX_INC_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& status,
                                        std::string& num_pedido_externo, int32_t& fornecedor_id, int32_t& user_id,
                                        std::string& statement, Variant& message, Variant& user_text,
                                        int32_t& cliente_id) {
    bool result = false;
    Handler h("mTrataSP_QBX_INC_PEDIDO_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        h.step(10);
        auto keys = outside::new_key_generator();

        h.step(20);
        std::string key_message;
        int32_t key = 0;
        const bool issued = next_key(*keys, kind, user_text, connection, "PEDIDO_ID", key_message, key);
        h.step(30);
        if (!issued) {
            message = Variant(key_message);
            return;
        }

        h.step(40);
        auto& formatter = outside::formatter();
        h.statement = " INSERT "
                      " INTO PEDIDO "
                      " ( PEDIDO_ID , "
                      " EMPRESA_ID , "
                      " TAB_STATUS_ID , "
                      " NUM_PEDIDO_EXTERNO , "
                      " FORNECEDOR_ID , "
                      " Cliente_ID ) "
                      " VALUES ";
        h.step(50);
        append(h.statement, {" (  ", number_literal(key), " , "});
        h.step(60);
        h.statement += " 1 , ";
        h.step(70);
        append(h.statement, {"  ", text(formatter.SqlNumber(Variant(status))), " , "});
        h.step(80);
        append(h.statement, {"  ", text_literal(num_pedido_externo), " , "});
        h.step(90);
        append(h.statement, {"  ", text(formatter.SqlNumber(Variant(fornecedor_id))), " , "});
        h.step(100);
        append(h.statement, {"  ", text(formatter.SqlNumber(Variant(cliente_id))), " ) "});

        h.step(110);
        run_emulated_write(h.statement, connection);

        h.step(120);
        const bool recorded =
            record_operation(*keys, kind, kOrderEntity, kInsertion, user_text, key, key_message, connection);
        h.step(130);
        if (!recorded)
            return;
        h.step(140);
        keys.reset();

        h.step(150);
        h.statement = order_id_answer(key);
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
