// gConsulta_Campos_PEDIDO: one live order with its external number, supplier
// and client; mTrataSP_QBX_CON_PEDIDO_OLT1 builds the inline SELECT for it.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gConsulta_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& OutVntNum_Pedido_Externo,
                                      Variant& OutVntFornecedor_ID, Variant& OutVntFornecedor,
                                      Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                      Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& OutVntCliente_ID,
                                      Variant& OutVntCliente, Variant& result) {
    start_result(result);
    Handler h("gConsulta_Campos_PEDIDO", kOrderUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
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
            if (!mTrataSP_QBX_CON_PEDIDO_OLT1(kind, connection, pedido_id, h.statement, outvntMsg_Ret, user))
                return;
        } else {
            h.step(40);
            h.statement = exec_call("SP_QBX_CON_PEDIDO_OLT1", {outside::formatter().SqlNumber(InVntPedido_ID)});
        }

        h.step(50);
        auto answer = open_statement(Style::Query, h.statement, InVntConecta_DB);

        h.step(60);
        if (answer->eof()) {
            outvntMsg_Ret = Variant(kOrderNotFound);
            return;
        }

        h.step(70);
        auto& formatter = outside::formatter();
        OutVntNum_Pedido_Externo = formatter.TextValue(answer->field_object("num_pedido_externo"));
        h.step(80);
        OutVntFornecedor_ID = formatter.NumberValue(answer->field_object("Fornecedor_ID"));
        h.step(90);
        OutVntFornecedor = formatter.TextValue(answer->field_object("Fornecedor"));
        h.step(100);
        OutVntCliente_ID = formatter.NumberValue(answer->field_object("Cliente_ID"));
        h.step(110);
        OutVntCliente = formatter.TextValue(answer->field_object("Cliente"));

        h.step(120);
        answer->close();
        succeed(result);
    });
}

// Only live orders whose supplier and client both have a row in their views
// are found.
bool ZOLT::mTrataSP_QBX_CON_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id,
                                        std::string& statement, Variant& message, Variant& user_text) {
    bool result = false;
    Handler h("mTrataSP_QBX_CON_PEDIDO_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        h.step(10);
        h.statement = " SELECT "
                      " PEDIDO.PEDIDO_ID , "
                      " PEDIDO.NUM_PEDIDO_EXTERNO , "
                      " PEDIDO.FORNECEDOR_ID, "
                      " VFornecedor.Nome_Fantasia as Fornecedor, "
                      " VCliente.Nome_Fantasia as Cliente, "
                      " Pedido.Cliente_ID "
                      " FROM "
                      " PEDIDO , VFornecedor, VCliente "
                      " WHERE "
                      " Pedido.Fornecedor_ID = VFornecedor.Fornecedor_ID "
                      " And Pedido.Cliente_ID = VCliente.Pessoa_ID ";
        h.step(20);
        append(h.statement,
               {" And PEDIDO.PEDIDO_ID =  ", text(outside::formatter().NumberValue(Variant(pedido_id))),
                " "});
        h.step(30);
        h.statement += " AND PEDIDO.TAB_STATUS_ID = 1 ";

        h.step(40);
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
