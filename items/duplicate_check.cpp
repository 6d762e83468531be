// gVerifica_Duplicidade_PEDIDO_ITEM: a part may stand on at most one live item
// of an order; the item being changed is left out of the count.
#include "component/frame.h"

namespace zolt::component {

namespace {
constexpr std::string_view kCheckFailed = "Erro na verificação de duplicidade do item no pedido.";
constexpr std::string_view kPartAlreadyInOrder = "Já existe a peça no pedido informado.";
}  // namespace

HRESULT ZOLT::gVerifica_Duplicidade_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& InVntPeca_ID,
                                                Variant& InVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                                Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                                Variant& InVntBanco_Dados, bool& result) {
    start_result(result);
    Handler h("gVerifica_Duplicidade_PEDIDO_ITEM", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        auto& formatter = outside::formatter();
        if (is_oracle(InVntBanco_Dados)) {
            h.step(20);
            std::string kind = kind_text(InVntBanco_Dados);
            std::string connection = connection_text(InVntConecta_DB);
            int32_t peca_id = id_value(InVntPeca_ID);
            int32_t pedido_id = id_value(InVntPedido_ID);
            int32_t pedido_item_id = id_value(InVntPedido_Item_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            h.step(30);
            if (!mTrataSP_QBX_DUP_PEDIDO_ITEM_OLT1(kind, connection, peca_id, pedido_id, pedido_item_id, h.statement,
                                                   outvntMsg_Ret, user))
                return;
        } else {
            // The procedure takes part, order, item in that order.
            h.step(40);
            h.statement = exec_start("SP_QBX_DUP_PEDIDO_ITEM_OLT1") + argument(formatter.SqlNumber(InVntPeca_ID));
            h.step(50);
            h.statement += argument(formatter.SqlNumber(InVntPedido_ID));
            h.step(60);
            h.statement += text(formatter.SqlNumber(InVntPedido_Item_ID));
        }

        h.step(70);
        auto answer = open_statement(Style::Query, h.statement, InVntConecta_DB);

        h.step(80);
        if (answer->state() == 0 || answer->eof()) {
            outvntMsg_Ret = Variant(kCheckFailed);
            return;
        }

        h.step(90);
        const Variant count = formatter.NumberValue(answer->field_object("Contador"));
        if (automation::is_true(automation::greater(count, Variant(int16_t{0})))) {
            outvntMsg_Ret = Variant(kPartAlreadyInOrder);
            return;
        }

        h.step(100);
        answer->close();
        result = true;
    });
}

bool ZOLT::mTrataSP_QBX_DUP_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& peca_id,
                                             int32_t& pedido_id, int32_t& pedido_item_id, std::string& statement,
                                             Variant& message, Variant& user_text) {
    bool result = false;
    Handler h("mTrataSP_QBX_DUP_PEDIDO_ITEM_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        // A new item (id 0) collides with every live item of the order; an
        // existing one with every other.
        h.step(10);
        auto& formatter = outside::formatter();
        const bool new_item = automation::is_true(
            automation::equals(formatter.NumberValue(Variant(pedido_item_id)), Variant(int16_t{0})));

        h.step(20);
        h.statement =
            " SELECT COUNT ( * ) AS CONTADOR "
            " FROM PEDIDO_ITEM "
            " WHERE ";
        h.step(30);
        append(h.statement, {" PECA_ID =  ", text(formatter.SqlNumber(Variant(peca_id))), " AND "});
        if (new_item) {
            h.step(40);
            append(h.statement, {" PEDIDO_ID =  ", text(formatter.SqlNumber(Variant(pedido_id))), " "});
        } else {
            h.step(50);
            append(h.statement, {" PEDIDO_ID =  ", text(formatter.SqlNumber(Variant(pedido_id))), " AND "});
            h.step(60);
            append(h.statement,
                   {" PEDIDO_ITEM_ID <>  ", text(formatter.SqlNumber(Variant(pedido_item_id))), " "});
        }
        h.step(70);
        h.statement += " And Tab_Status_ID IN ( 509 , 510 )";

        h.step(80);
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
