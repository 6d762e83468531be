// gAltera_Campos_PEDIDO_ITEM: changes the shipping date, part, order and
// quantity of an item that is still new. The inline dialect writes the row
// back as new (509) and records the update itself.
#include "component/frame.h"
#include "items/common.h"

namespace zolt::component {

namespace {
constexpr std::string_view kUpdateFailed = "Erro na alteração dos itens do pedido.";
}  // namespace

HRESULT ZOLT::gAltera_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& InVntData_Embarque,
                                         Variant& InVntPeca_ID, Variant& InVntPedido_ID, Variant& InVntQtde_Pedida,
                                         Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                         Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) {
    start_result(result);
    Handler h("gAltera_Campos_PEDIDO_ITEM", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        Variant flag("A");
        bool valid = false;
        check(self().mConsiste_Campos_Pedido_Item(InVntPedido_Item_ID, InVntData_Embarque, InVntPeca_ID, InVntPedido_ID,
                                                  InVntQtde_Pedida, invntUsuario_Internet_ID, InVntConecta_DB,
                                                  outvntMsg_Ret, InVntBanco_Dados, flag, valid));
        if (!valid)
            return;

        h.step(20);
        if (is_oracle(InVntBanco_Dados)) {
            h.step(30);
            auto& formatter = outside::formatter();
            std::string kind = kind_text(InVntBanco_Dados);
            std::string connection = connection_text(InVntConecta_DB);
            int32_t pedido_item_id = id_value(InVntPedido_Item_ID);
            std::string data_embarque = text(formatter.TextValue(InVntData_Embarque));
            int32_t peca_id = id_value(InVntPeca_ID);
            int32_t pedido_id = id_value(InVntPedido_ID);
            int32_t qtde_pedida = id_value(InVntQtde_Pedida);
            int32_t one = id_value(Variant(int16_t{1}));
            int32_t user_id = id_value(invntUsuario_Internet_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            h.step(40);
            if (!mTrataSP_QBX_ALT_PEDIDO_ITEM_OLT1(kind, connection, pedido_item_id, data_embarque, peca_id, pedido_id,
                                                   qtde_pedida, one, user_id, h.statement, outvntMsg_Ret, user))
                return;
        } else {
            h.step(50);
            auto& formatter = outside::formatter();
            h.statement = exec_start("SP_QBX_ALT_PEDIDO_ITEM_OLT1");
            h.step(60);
            h.statement += argument(formatter.SqlNumber(InVntPedido_Item_ID));
            h.step(70);
            h.statement += argument(formatter.SqlDate(InVntData_Embarque));
            h.step(80);
            h.statement += argument(formatter.SqlNumber(InVntPeca_ID));
            h.step(90);
            h.statement += argument(formatter.SqlNumber(InVntPedido_ID));
            h.step(100);
            h.statement += argument(formatter.SqlNumber(InVntQtde_Pedida));
            h.step(110);
            h.statement += argument(formatter.SqlNumber(Variant(int16_t{1})));
            h.step(120);
            h.statement += text(formatter.SqlNumber(invntUsuario_Internet_ID));
        }

        h.step(130);
        auto answer = open_statement(Style::WriteReadBack, h.statement, InVntConecta_DB);
        h.step(140);
        if (!procedure_succeeded(*answer, outvntMsg_Ret, kUpdateFailed))
            return;

        h.step(150);
        answer->close();
        succeed(result);
    });
}

bool ZOLT::mTrataSP_QBX_ALT_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_item_id,
                                             std::string& data_embarque, int32_t& peca_id, int32_t& pedido_id,
                                             int32_t& qtde_pedida, int32_t& one, int32_t& user_id,
                                             std::string& statement, Variant& message, Variant& user_text) {
    bool result = false;
    Handler h("mTrataSP_QBX_ALT_PEDIDO_ITEM_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        h.step(10);
        h.statement =
            " UPDATE PEDIDO_ITEM "
            " SET ";
        h.step(20);
        append(h.statement, {" DATA_EMBARQUE =  ", date_literal(data_embarque), " , "});
        h.step(30);
        auto& formatter = outside::formatter();
        append(h.statement, {" PECA_ID =  ", text(formatter.SqlNumber(Variant(peca_id))), " , "});
        h.step(40);
        append(h.statement, {" PEDIDO_ID =  ", text(formatter.SqlNumber(Variant(pedido_id))), " , "});
        h.step(50);
        append(h.statement, {" QTDE_PEDIDA =  ", text(formatter.SqlNumber(Variant(qtde_pedida))), " , "});
        h.step(60);
        append(h.statement,
               {" TAB_STATUS_ID =  ", text(formatter.SqlNumber(Variant(items::kNewItemStatus))), " "});
        h.step(70);
        std::string equals_operator = "=";
        const Variant key_comparison = outside::writer().WriteNumber(Variant(pedido_item_id), equals_operator);
        append(h.statement, {" WHERE PEDIDO_ITEM_ID  ", text(key_comparison), " "});

        h.step(80);
        run_emulated_write(h.statement, connection);

        // The key generator lives from here to the end of this call. The row
        // stays changed even when recording it is refused.
        h.step(90);
        auto keys = outside::new_key_generator();
        h.step(100);
        std::string key_message;
        if (!record_operation(*keys, kind, kItemEntity, kUpdate, user_text, pedido_item_id, key_message, connection))
            return;

        h.step(110);
        keys.reset();
        order_id_answer(pedido_id, h.statement);
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
