// gVerifica_Duplicidade_PEDIDO: is there already a live order of the supplier
// with this external number (other than the order being changed)?
// mTrataSP_QBX_DUP_PEDIDO_OLT1 builds the inline counting SELECT for it.
#include "component/frame.h"

namespace zolt::component {

namespace {
constexpr std::string_view kCheckFailed = "Erro na verificação de duplicidade do pedido.";
constexpr std::string_view kDuplicateOrder = "Já existe um pedido para este fornecedor com o número informado.";
// How both forms of the inline counting SELECT begin.
constexpr const char* kCountOrdersWhere = " SELECT COUNT ( * ) AS CONTADOR "
                                          " FROM PEDIDO "
                                          " WHERE ";
}  // namespace

HRESULT ZOLT::gVerifica_Duplicidade_PEDIDO(Variant& InVntPedido_ID, Variant& InVntNum_Pedido_Externo,
                                           Variant& InVntFornecedor_ID, Variant& invntUsuario_Internet_ID,
                                           Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                           Variant& InVntBanco_Dados, bool& result) {
    start_result(result);
    Handler h("gVerifica_Duplicidade_PEDIDO", kOrderUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        auto& formatter = outside::formatter();
        if (is_oracle(InVntBanco_Dados)) {
            // All values are formatted first, then converted; the connection text comes last.
            h.step(20);
            std::string kind = kind_text(InVntBanco_Dados);
            const Variant number_value = formatter.TextValue(InVntNum_Pedido_Externo);
            const Variant supplier_value = formatter.NumberValue(InVntFornecedor_ID);
            const Variant order_value = formatter.NumberValue(InVntPedido_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            std::string number = text(number_value);
            int32_t fornecedor_id = automation::to_long(supplier_value);
            int32_t pedido_id = automation::to_long(order_value);
            std::string connection = connection_text(InVntConecta_DB);
            h.step(30);
            if (!mTrataSP_QBX_DUP_PEDIDO_OLT1(kind, connection, number, fornecedor_id, pedido_id, h.statement,
                                              outvntMsg_Ret, user))
                return;
        } else {
            h.step(40);
            h.statement = exec_start("SP_QBX_DUP_PEDIDO_OLT1");
            h.step(50);
            h.statement += argument(formatter.SqlText(InVntNum_Pedido_Externo));
            h.step(60);
            h.statement += argument(formatter.SqlNumber(InVntFornecedor_ID));
            h.step(70);
            h.statement += text(formatter.SqlNumber(InVntPedido_ID));
        }

        h.step(80);
        auto answer = open_statement(Style::Query, h.statement, InVntConecta_DB);

        h.step(90);
        if (answer->state() == 0 || answer->eof()) {
            outvntMsg_Ret = Variant(kCheckFailed);
            return;
        }

        h.step(100);
        const Variant count = formatter.NumberValue(answer->field_object("Contador"));
        const int32_t colliding = automation::to_long(count);
        answer->close();

        h.step(110);
        if (colliding > 0) {
            outvntMsg_Ret = Variant(kDuplicateOrder);
            return;
        }

        h.step(120);
        result = true;
    });
}

// A new order (id 0) is compared with every live order of the supplier; an
// existing one leaves itself out. The two forms take their literals from
// different outside components.
bool ZOLT::mTrataSP_QBX_DUP_PEDIDO_OLT1(std::string& kind, std::string& connection, std::string& num_pedido_externo,
                                        int32_t& fornecedor_id, int32_t& pedido_id, std::string& statement,
                                        Variant& message, Variant& user_text) {
    bool result = false;
    Handler h("mTrataSP_QBX_DUP_PEDIDO_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        h.step(10);
        auto& formatter = outside::formatter();
        const bool new_order =
            automation::is_true(automation::equals(formatter.NumberValue(Variant(pedido_id)), Variant::integer(0)));

        if (new_order) {
            h.step(20);
            h.statement = kCountOrdersWhere;
            h.step(30);
            append(h.statement, {" NUM_PEDIDO_EXTERNO =  ", text_literal(num_pedido_externo), " AND "});
            h.step(40);
            append(h.statement, {" FORNECEDOR_ID =  ", number_literal(fornecedor_id), " "});
            h.step(50);
            h.statement += " AND TAB_STATUS_ID = 1 ";
        } else {
            h.step(60);
            h.statement = kCountOrdersWhere;
            h.step(70);
            append(h.statement,
                   {" NUM_PEDIDO_EXTERNO =  ", text(formatter.SqlText(Variant(num_pedido_externo)))});
            h.step(80);
            append(h.statement,
                   {" And FORNECEDOR_ID =  ", text(formatter.SqlNumber(Variant(fornecedor_id)))});
            h.step(90);
            h.statement += " AND TAB_STATUS_ID = 1 ";
            h.step(100);
            append(h.statement, {" And PEDIDO_ID <>  ", text(formatter.SqlNumber(Variant(pedido_id))), " "});
        }

        h.step(110);
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
