// mVerifica_Dupli_Pedido_Item_Fornecedor: refuses a shipping day on which the
// order's supplier already has confirmed items. The same SELECTs serve both
// dialects: the date literal and the literal followed by " + 1 " bound the day.
#include <string>

#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::mVerifica_Dupli_Pedido_Item_Fornecedor(Variant& InVntPedido_Item_ID, Variant& InVntPedido_ID,
                                                     Variant& InVntData, Variant& invntUsuario_Internet_ID,
                                                     Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                                     Variant& InVntBanco_Dados, bool& result) {
    start_result(result);
    Handler h("mVerifica_Dupli_Pedido_Item_Fornecedor", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        auto& formatter = outside::formatter();

        // The order's supplier; a missing order counts as supplier 0.
        h.step(20);
        h.statement = " Select Fornecedor_ID From Pedido ";
        append(h.statement, {" Where Pedido_ID = ", text(formatter.NumberValue(InVntPedido_ID)), " "});
        h.step(30);
        auto supplier_answer = open_statement(Style::Query, h.statement, InVntConecta_DB);
        h.step(40);
        int32_t supplier_id = 0;
        if (!supplier_answer->eof()) {
            h.step(50);
            supplier_id = automation::to_long(formatter.NumberValue(supplier_answer->field_object("Fornecedor_ID")));
            h.step(60);
            supplier_answer->close();
        }
        supplier_answer.reset();

        // Confirmed items of that supplier shipping on the same day.
        h.step(70);
        h.statement =
            " SELECT "
            " Count(PEDIDO_ITEM.PEDIDO_ITEM_ID) As Contador "
            " FROM "
            " PEDIDO_ITEM , Pedido "
            " WHERE Pedido_Item.Pedido_ID = Pedido.Pedido_ID "
            " And Pedido_Item.Tab_Status_ID = 510 ";
        h.step(80);
        append(h.statement, {" And Pedido.Fornecedor_ID = ", number_literal(supplier_id)});
        h.step(90);
        append(h.statement, {" And Pedido_Item.Data_Embarque >= ", date_literal(InVntData)});
        h.step(100);
        append(h.statement, {" And Pedido_Item.Data_Embarque < ", date_literal(InVntData), " + 1 "});
        h.step(110);
        if (automation::is_true(automation::greater(formatter.NumberValue(InVntPedido_Item_ID), Variant(int16_t{0})))) {
            h.step(120);
            h.statement +=
                " And PEDIDO_ITEM.PEDIDO_ITEM_ID <>  " + text(formatter.NumberValue(InVntPedido_Item_ID)) + " ";
        }

        h.step(130);
        auto answer = open_statement(Style::Query, h.statement, InVntConecta_DB);
        h.step(140);
        if (answer->eof()) {
            result = true;
            return;
        }

        h.step(150);
        const int32_t count = automation::to_long(formatter.NumberValue(answer->field_object("Contador")));
        h.step(160);
        if (count > 0) {
            outvntMsg_Ret =
                Variant("Existe(m) " + std::to_string(count) + " peças(s) confirmada(s) para o fornecedor nesta data.");
            answer->close();
            return;
        }

        h.step(170);
        answer->close();
        result = true;
    });
}

}  // namespace zolt::component
