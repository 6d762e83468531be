// gExclui_Campos_PEDIDO_ITEM: a logical deletion; the row stays with status 2.
// Deletions are not recorded in the write log.
#include "component/frame.h"

namespace zolt::component {

namespace {
constexpr std::string_view kDeleteFailed = "Erro na exclusão do item do pedido.";
}  // namespace

HRESULT ZOLT::gExclui_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& invntUsuario_Internet_ID,
                                         Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                         Variant& result) {
    start_result(result);
    Handler h("gExclui_Campos_PEDIDO_ITEM", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        Variant no_date, no_part, no_order, no_quantity, flag("E");
        bool valid = false;
        check(self().mConsiste_Campos_Pedido_Item(InVntPedido_Item_ID, no_date, no_part, no_order, no_quantity,
                                                  invntUsuario_Internet_ID, InVntConecta_DB, outvntMsg_Ret,
                                                  InVntBanco_Dados, flag, valid));
        if (!valid)
            return;

        h.step(20);
        if (is_oracle(InVntBanco_Dados)) {
            h.step(30);
            std::string kind = kind_text(InVntBanco_Dados);
            std::string connection = connection_text(InVntConecta_DB);
            int32_t pedido_item_id = id_value(InVntPedido_Item_ID);
            int32_t user_id = id_value(invntUsuario_Internet_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            h.step(40);
            if (!mTrataSP_QBX_EXC_PEDIDO_ITEM_OLT1(kind, connection, pedido_item_id, user_id, h.statement,
                                                   outvntMsg_Ret, user))
                return;
        } else {
            h.step(50);
            auto& formatter = outside::formatter();
            h.statement = exec_call("SP_QBX_EXC_PEDIDO_ITEM_OLT1", {formatter.SqlNumber(InVntPedido_Item_ID),
                                                                    formatter.SqlNumber(invntUsuario_Internet_ID)});
        }

        h.step(60);
        auto answer = open_statement(Style::WriteReadBack, h.statement, InVntConecta_DB);
        h.step(70);
        if (!procedure_succeeded(*answer, outvntMsg_Ret, kDeleteFailed))
            return;

        h.step(80);
        answer->close();
        succeed(result);
    });
}

bool ZOLT::mTrataSP_QBX_EXC_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_item_id,
                                             int32_t& user_id, std::string& statement, Variant& message,
                                             Variant& user_text) {
    bool result = false;
    Handler h("mTrataSP_QBX_EXC_PEDIDO_ITEM_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        h.step(10);
        h.statement = " UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 2 ";
        h.step(20);
        append(h.statement, {" WHERE PEDIDO_ITEM_ID =  ", number_literal(pedido_item_id), " "});
        h.step(30);
        run_emulated_write(h.statement, connection);
        h.step(40);
        h.statement = kDeletionAnswer;
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
