// gConsulta_Campos_PEDIDO_ITEM: one live item with its part code.
#include "component/frame.h"
#include "items/common.h"

namespace zolt::component {

HRESULT ZOLT::gConsulta_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& OutVntData_Embarque,
                                           Variant& OutVntPeca_ID, Variant& OutVntPedido_ID, Variant& OutVntQtde_Pedida,
                                           Variant& OutVntCod_Peca, Variant& invntUsuario_Internet_ID,
                                           Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                           Variant& result) {
    start_result(result);
    Handler h("gConsulta_Campos_PEDIDO_ITEM", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        if (is_oracle(InVntBanco_Dados)) {
            h.step(20);
            std::string kind = kind_text(InVntBanco_Dados);
            std::string connection = connection_text(InVntConecta_DB);
            int32_t pedido_item_id = id_value(InVntPedido_Item_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            h.step(30);
            if (!mTrataSP_QBX_CON_PEDIDO_ITEM_OLT1(kind, connection, pedido_item_id, h.statement, outvntMsg_Ret, user))
                return;
        } else {
            h.step(40);
            h.statement = exec_call("SP_QBX_CON_PEDIDO_ITEM_OLT1", {outside::formatter().SqlNumber(InVntPedido_Item_ID)});
        }

        h.step(50);
        auto answer = open_statement(Style::Query, h.statement, InVntConecta_DB);

        h.step(60);
        if (answer->eof()) {
            outvntMsg_Ret = Variant(kOrderNotFound);
            return;
        }

        h.step(70);
        OutVntData_Embarque = items::shipping_date_text(answer->field_object("data_embarque"));
        h.step(80);
        auto& formatter = outside::formatter();
        OutVntPeca_ID = formatter.NumberValue(answer->field_object("PECA_ID"));
        h.step(90);
        OutVntPedido_ID = formatter.NumberValue(answer->field_object("PEDIDO_ID"));
        h.step(100);
        OutVntQtde_Pedida = formatter.NumberValue(answer->field_object("qtde_pedida"));
        h.step(110);
        OutVntCod_Peca = formatter.TextValue(answer->field_object("Cod_Peca"));

        h.step(120);
        answer->close();
        succeed(result);
    });
}

bool ZOLT::mTrataSP_QBX_CON_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_item_id,
                                             std::string& statement, Variant& message, Variant& user_text) {
    bool result = false;
    Handler h("mTrataSP_QBX_CON_PEDIDO_ITEM_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        h.step(10);
        h.statement = items::kLiveItemColumnsAndJoin;
        h.step(20);
        append(h.statement, {" AND PEDIDO_ITEM.PEDIDO_ITEM_ID =  ",
                             text(outside::formatter().NumberValue(Variant(pedido_item_id))), " "});
        h.step(30);
        h.statement += items::kLiveItemFilter;
        h.step(40);
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
