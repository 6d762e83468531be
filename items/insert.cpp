// gInclui_Campos_PEDIDO_ITEM: adds an item to an order and hands back its new
// key. The inline dialect draws the key, inserts the row as new (509) and
// records the insertion itself.
#include "component/frame.h"
#include "items/common.h"

namespace zolt::component {

namespace {
constexpr std::string_view kInsertFailed = "Erro na inclusão do item no pedido.";
}  // namespace

HRESULT ZOLT::gInclui_Campos_PEDIDO_ITEM(Variant& InVntData_Embarque, Variant& InVntPeca_ID, Variant& InVntPedido_ID,
                                         Variant& InVntQtde_Pedida, Variant& OutVntPedido_Item_ID,
                                         Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                         Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) {
    start_result(result);
    Handler h("gInclui_Campos_PEDIDO_ITEM", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        Variant no_item, flag("I");
        bool valid = false;
        check(self().mConsiste_Campos_Pedido_Item(no_item, InVntData_Embarque, InVntPeca_ID, InVntPedido_ID,
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
            std::string data_embarque = text(formatter.TextValue(InVntData_Embarque));
            int32_t peca_id = id_value(InVntPeca_ID);
            int32_t pedido_id = id_value(InVntPedido_ID);
            int32_t qtde_pedida = id_value(InVntQtde_Pedida);
            int32_t one = id_value(Variant(int16_t{1}));
            int32_t user_id = id_value(invntUsuario_Internet_ID);
            Variant user = user_text(invntUsuario_Internet_ID);
            h.step(40);
            if (!mTrataSP_QBX_INC_PEDIDO_ITEM_OLT1(kind, connection, data_embarque, peca_id, pedido_id, qtde_pedida,
                                                   one, user_id, h.statement, outvntMsg_Ret, user))
                return;
        } else {
            h.step(50);
            auto& formatter = outside::formatter();
            h.statement = exec_start("SP_QBX_INC_PEDIDO_ITEM_OLT1");
            h.step(60);
            h.statement += argument(formatter.SqlDate(InVntData_Embarque));
            h.step(70);
            h.statement += argument(formatter.SqlNumber(InVntPeca_ID));
            h.step(80);
            h.statement += argument(formatter.SqlNumber(InVntPedido_ID));
            h.step(90);
            h.statement += argument(formatter.SqlNumber(InVntQtde_Pedida));
            h.step(100);
            h.statement += argument(formatter.SqlNumber(Variant(int16_t{1})));
            h.step(110);
            h.statement += text(formatter.SqlNumber(invntUsuario_Internet_ID));
        }

        h.step(120);
        auto answer = open_statement(Style::WriteReadBack, h.statement, InVntConecta_DB);
        h.step(130);
        if (!procedure_succeeded(*answer, outvntMsg_Ret, kInsertFailed))
            return;

        // A key of 0 or Null leaves the caller's variable as it was.
        h.step(140);
        const Variant key = answer->field_object("PEDIDO_ITEM_ID");
        if (automation::is_true(automation::not_equals(key, Variant(int16_t{0}))))
            OutVntPedido_Item_ID = outside::formatter().NumberValue(key);

        h.step(150);
        answer->close();
        succeed(result);
    });
}

bool ZOLT::mTrataSP_QBX_INC_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, std::string& data_embarque,
                                             int32_t& peca_id, int32_t& pedido_id, int32_t& qtde_pedida, int32_t& one,
                                             int32_t& user_id, std::string& statement, Variant& message,
                                             Variant& user_text) {
    bool result = false;
    Handler h("mTrataSP_QBX_INC_PEDIDO_ITEM_OLT1", kOracleUnavailable, TrailerForm::Emulation, user_text, message);
    h.run_private([&] {
        // The key generator lives for this call only and goes on every way out.
        h.step(10);
        auto keys = outside::new_key_generator();

        h.step(20);
        std::string key_message;
        int32_t key = 0;
        const bool issued = next_key(*keys, kind, user_text, connection, "PEDIDO_ITEM_ID", key_message, key);
        h.step(30);
        if (!issued) {
            message = Variant(key_message);
            return;
        }

        h.step(40);
        h.statement =
            " INSERT "
            " INTO PEDIDO_ITEM "
            " ( PEDIDO_ITEM_ID , "
            " DATA_EMBARQUE , "
            " PECA_ID , "
            " PEDIDO_ID , "
            " QTDE_PEDIDA , "
            " TAB_STATUS_ID ) "
            " VALUES ";
        h.step(50);
        append(h.statement, {" (  ", number_literal(key), " , "});
        h.step(60);
        append(h.statement, {"  ", date_literal(data_embarque), " , "});
        h.step(70);
        append(h.statement, {"  ", number_literal(peca_id), " , "});
        h.step(80);
        append(h.statement, {"  ", number_literal(pedido_id), " , "});
        h.step(90);
        append(h.statement, {"  ", number_literal(qtde_pedida), " , "});
        h.step(100);
        append(h.statement, {"  ", number_literal(items::kNewItemStatus), " ) "});

        h.step(110);
        run_emulated_write(h.statement, connection);

        // The row stays written even when recording it is refused.
        h.step(120);
        if (!record_operation(*keys, kind, kItemEntity, kInsertion, user_text, key, key_message, connection))
            return;

        h.step(130);
        keys.reset();
        const std::string number = text(outside::formatter().NumberValue(Variant(key)));
        h.statement.assign(" SELECT  ")
            .append(number)
            .append(" PEDIDO_ITEM_ID , 0 RETORNO , '' MSG_RET From Infra_IDS");
        statement = h.statement;
        result = true;
    });
    return result;
}

}  // namespace zolt::component
