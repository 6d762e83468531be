// gConsulta_Campos_LIS_PEDIDO_ITEM: the live items of an order as six parallel
// arrays indexed from 0, with their count.
#include "component/frame.h"
#include "items/common.h"

namespace zolt::component {

namespace {

// A new array of count Empty elements, indexed from 0.
Variant new_array(int32_t count) {
    return Variant(automation::Array{0, std::vector<Variant>(count)});
}

}  // namespace

HRESULT ZOLT::gConsulta_Campos_LIS_PEDIDO_ITEM(Variant& InVntPedido_ID, Variant& OutArrVntData_Embarque,
                                               Variant& OutArrVntPeca_ID, Variant& OutArrVntPedido_ID,
                                               Variant& OutArrVntPedido_Item_ID, Variant& OutArrVntQtde_Pedida,
                                               Variant& OutArrVntCod_Peca, Variant& OutVntTam_Arr_Resposta,
                                               Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                               Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) {
    start_result(result);
    Handler h("gConsulta_Campos_LIS_PEDIDO_ITEM", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        if (is_oracle(InVntBanco_Dados)) {
            h.step(20);
            std::string kind = kind_text(InVntBanco_Dados);
            std::string connection = connection_text(InVntConecta_DB);
            int32_t pedido_id = id_value(InVntPedido_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            h.step(30);
            if (!mTrataSP_QBX_CON_LIS_PED_ITEM_OLT1(kind, connection, pedido_id, h.statement, outvntMsg_Ret, user))
                return;
        } else {
            h.step(40);
            h.statement = exec_call("SP_QBX_CON_LIS_PED_ITEM_OLT1", {outside::formatter().SqlNumber(InVntPedido_ID)});
        }

        h.step(50);
        auto answer = open_statement(Style::Query, h.statement, InVntConecta_DB);

        // An order with nothing to list: a count of 0, the arrays as they came.
        h.step(60);
        if (answer->eof()) {
            succeed(result);
            OutVntTam_Arr_Resposta = Variant(int16_t{0});
            answer->close();
            return;
        }

        h.step(70);
        answer->move_last();
        answer->move_first();
        h.step(80);
        OutVntTam_Arr_Resposta = Variant(answer->record_count());

        h.step(90);
        const int32_t count = automation::to_long(OutVntTam_Arr_Resposta);
        OutArrVntData_Embarque = new_array(count);
        OutArrVntPeca_ID = new_array(count);
        OutArrVntPedido_ID = new_array(count);
        OutArrVntPedido_Item_ID = new_array(count);
        OutArrVntQtde_Pedida = new_array(count);
        OutArrVntCod_Peca = new_array(count);

        // The count drives the loop; row i fills element i of every array.
        h.step(100);
        auto& formatter = outside::formatter();
        const int32_t last = count - 1;
        for (int32_t i = 0; i <= last; ++i) {
            h.step(110);
            OutArrVntData_Embarque.array_mut().at(i) = items::shipping_date_text(answer->field_object("data_embarque"));
            h.step(120);
            OutArrVntPeca_ID.array_mut().at(i) = formatter.NumberValue(answer->field_object("PECA_ID"));
            h.step(130);
            OutArrVntPedido_ID.array_mut().at(i) = formatter.NumberValue(answer->field_object("PEDIDO_ID"));
            h.step(140);
            OutArrVntPedido_Item_ID.array_mut().at(i) = formatter.NumberValue(answer->field_object("PEDIDO_ITEM_ID"));
            h.step(150);
            OutArrVntQtde_Pedida.array_mut().at(i) = formatter.NumberValue(answer->field_object("qtde_pedida"));
            h.step(160);
            OutArrVntCod_Peca.array_mut().at(i) = formatter.NumberValue(answer->field_object("Cod_Peca"));
            h.step(170);
            answer->move_next();
        }

        h.step(180);
        answer->close();
        succeed(result);
    });
}

bool ZOLT::mTrataSP_QBX_CON_LIS_PED_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id,
                                              std::string& statement, Variant& message, Variant& user_text) {
    bool result = false;
    Handler h("mTrataSP_QBX_CON_LIS_PED_ITEM_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        h.step(10);
        h.statement = items::kLiveItemColumnsAndJoin;
        h.step(20);
        append(h.statement,
               {" AND PEDIDO_ITEM.PEDIDO_ID =  ", text(outside::formatter().NumberValue(Variant(pedido_id))),
                " "});
        h.step(30);
        h.statement += items::kLiveItemFilter;
        h.step(40);
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
