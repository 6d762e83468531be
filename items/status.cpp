// gConsulta_Status_PEDIDO_ITEM: the status of one item, whatever state it is in.
// The same SELECT serves both dialects.
#include "component/frame.h"

namespace zolt::component {

namespace {
constexpr std::string_view kItemNotFound = "Não foi encontrado o item do pedido informado.";
}  // namespace

HRESULT ZOLT::gConsulta_Status_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& OutVntTab_Status_ID,
                                           Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                           Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) {
    start_result(result);
    Handler h("gConsulta_Status_PEDIDO_ITEM", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        auto& formatter = outside::formatter();
        h.statement =
            " SELECT "
            " PEDIDO_ITEM.DATA_EMBARQUE , "
            " PEDIDO_ITEM.PECA_ID , "
            " PEDIDO_ITEM.PEDIDO_ID , "
            " PEDIDO_ITEM.PEDIDO_ITEM_ID , "
            " PEDIDO_ITEM.QTDE_PEDIDA , "
            " PEDIDO_ITEM.TAB_STATUS_ID  "
            " FROM "
            " PEDIDO_ITEM  "
            " WHERE ";
        h.step(20);
        append(h.statement,
               {" PEDIDO_ITEM.PEDIDO_ITEM_ID =  ", text(formatter.NumberValue(InVntPedido_Item_ID)), " "});

        h.step(30);
        auto answer = open_statement(Style::Query, h.statement, InVntConecta_DB);

        h.step(40);
        if (answer->eof()) {
            outvntMsg_Ret = Variant(kItemNotFound);
            return;
        }

        h.step(50);
        OutVntTab_Status_ID = formatter.NumberValue(answer->field_object("Tab_Status_ID"));

        h.step(60);
        answer->close();
        succeed(result);
    });
}

}  // namespace zolt::component
