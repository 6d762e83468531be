// gExclui_Campos_PEDIDO: deletes one order logically (its status becomes 2);
// mTrataSP_QBX_EXC_PEDIDO_OLT1 runs the UPDATE itself, then answers like the
// procedure would.
#include "component/frame.h"

namespace zolt::component {

namespace {
constexpr std::string_view kDeleteFailed = "Erro na exclusão do pedido.";
}  // namespace

HRESULT ZOLT::gExclui_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                    Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                    Variant& result) {
    start_result(result);
    Handler h("gExclui_Campos_PEDIDO", kOrderUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        // A deletion needs nothing but an order id; the other fields stay empty.
        h.step(10);
        Variant status, number, supplier, out_id, flag("E"), client(int16_t{0});
        bool valid = false;
        check(self().mConsiste_Campos_Pedido(InVntPedido_ID, status, number, supplier, out_id,
                                             invntUsuario_Internet_ID, InVntConecta_DB, outvntMsg_Ret,
                                             InVntBanco_Dados, flag, client, valid));
        if (!valid)
            return;

        h.step(20);
        if (is_oracle(InVntBanco_Dados)) {
            h.step(30);
            std::string kind = kind_text(InVntBanco_Dados);
            std::string connection = connection_text(InVntConecta_DB);
            int32_t pedido_id = id_value(InVntPedido_ID);
            int32_t user_id = id_value(invntUsuario_Internet_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            h.step(40);
            if (!mTrataSP_QBX_EXC_PEDIDO_OLT1(kind, connection, pedido_id, user_id, h.statement, outvntMsg_Ret, user))
                return;
        } else {
            h.step(50);
            auto& formatter = outside::formatter();
            h.statement = exec_call("SP_QBX_EXC_PEDIDO_OLT1", {formatter.SqlNumber(InVntPedido_ID),
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

// The row stays, with status 2; its items are left as they are. An order that
// is already deleted, or an id that matches no row, still answers success.
bool ZOLT::mTrataSP_QBX_EXC_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id,
                                        int32_t& user_id, std::string& statement, Variant& message,
                                        Variant& user_text) {
    bool result = false;
    Handler h("mTrataSP_QBX_EXC_PEDIDO_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        h.step(10);
        h.statement = " UPDATE PEDIDO SET TAB_STATUS_ID = 2 ";
        h.step(20);
        append(h.statement, {" WHERE PEDIDO_ID =  ", number_literal(pedido_id), " "});

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
