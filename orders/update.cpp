// gAltera_Campos_PEDIDO: changes one order's external number, supplier and
// client; mTrataSP_QBX_ALT_PEDIDO_OLT1 runs the UPDATE and records it itself,
// then answers like the procedure would.
#include "component/frame.h"

namespace zolt::component {

namespace {
constexpr std::string_view kUpdateFailed = "Erro na alteração do pedido.";
}  // namespace

HRESULT ZOLT::gAltera_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& InVntTab_Status_ID,
                                    Variant& InVntNum_Pedido_Externo, Variant& InVntFornecedor_ID,
                                    Variant& OutVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                    Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                    Variant& InVntCliente_ID, Variant& result) {
    start_result(result);
    Handler h("gAltera_Campos_PEDIDO", kOrderUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        Variant flag("A");
        bool valid = false;
        check(self().mConsiste_Campos_Pedido(InVntPedido_ID, InVntTab_Status_ID, InVntNum_Pedido_Externo,
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
            const Variant order_value = formatter.NumberValue(InVntPedido_ID);
            const Variant status_value = formatter.NumberValue(InVntTab_Status_ID);
            const Variant number_value = formatter.TextValue(InVntNum_Pedido_Externo);
            const Variant supplier_value = formatter.NumberValue(InVntFornecedor_ID);
            const Variant user_value = formatter.NumberValue(invntUsuario_Internet_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            const Variant client_value = formatter.NumberValue(InVntCliente_ID);
            int32_t pedido_id = automation::to_long(order_value);
            int32_t status = automation::to_long(status_value);
            std::string number = text(number_value);
            int32_t fornecedor_id = automation::to_long(supplier_value);
            int32_t user_id = automation::to_long(user_value);
            int32_t cliente_id = automation::to_long(client_value);
            std::string connection = connection_text(InVntConecta_DB);
            h.step(40);
            if (!mTrataSP_QBX_ALT_PEDIDO_OLT1(kind, connection, pedido_id, status, number, fornecedor_id, user_id,
                                              h.statement, outvntMsg_Ret, user, cliente_id))
                return;
        } else {
            // The procedure takes no client.
            h.step(50);
            h.statement = exec_start("SP_QBX_ALT_PEDIDO_OLT1");
            h.step(60);
            h.statement += argument(formatter.SqlNumber(InVntPedido_ID));
            h.step(70);
            h.statement += argument(formatter.SqlNumber(InVntTab_Status_ID));
            h.step(80);
            h.statement += argument(formatter.SqlText(InVntNum_Pedido_Externo));
            h.step(90);
            h.statement += argument(formatter.SqlNumber(InVntFornecedor_ID));
            h.step(100);
            h.statement += text(formatter.SqlNumber(invntUsuario_Internet_ID));
        }

        h.step(110);
        auto answer = open_statement(Style::WriteReadBack, h.statement, InVntConecta_DB);

        h.step(120);
        if (!procedure_succeeded(*answer, outvntMsg_Ret, kUpdateFailed))
            return;

        h.step(130);
        answer->close();
        succeed(result);
    });
}

// The order becomes active again whatever status was asked for, a deleted
// one included. The UPDATE is recorded even when it matched no row, and it is
// not undone when recording it fails.
bool ZOLT::mTrataSP_QBX_ALT_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id,
                                        int32_t& status, std::string& num_pedido_externo, int32_t& fornecedor_id,
                                        int32_t& user_id, std::string& statement, Variant& message,
                                        Variant& user_text, int32_t& cliente_id) {
    bool result = false;
    Handler h("mTrataSP_QBX_ALT_PEDIDO_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        h.step(10);
        auto& formatter = outside::formatter();
        h.statement = " UPDATE PEDIDO "
                      " SET "
                      " EMPRESA_ID = 1 , "
                      " TAB_STATUS_ID =  1 , ";
        h.step(20);
        append(h.statement, {" NUM_PEDIDO_EXTERNO =  ", text_literal(num_pedido_externo), " , "});
        h.step(30);
        append(h.statement, {" FORNECEDOR_ID =  ", text(formatter.SqlNumber(Variant(fornecedor_id))), " , "});
        h.step(40);
        append(h.statement, {" Cliente_ID =  ", text(formatter.SqlNumber(Variant(cliente_id))), " "});
        h.step(50);
        std::string equals_operator = "=";
        append(h.statement,
               {" WHERE PEDIDO_ID  ", text(outside::writer().WriteNumber(Variant(pedido_id), equals_operator)),
                " "});

        h.step(60);
        run_emulated_write(h.statement, connection);

        h.step(70);
        auto keys = outside::new_key_generator();
        h.step(80);
        std::string key_message;
        const bool recorded = record_operation(*keys, kind, kOrderEntity, kUpdate, user_text, pedido_id, key_message,
                                               connection);
        h.step(90);
        if (!recorded)
            return;
        h.step(100);
        keys.reset();

        h.step(110);
        h.statement = order_id_answer(pedido_id);
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
