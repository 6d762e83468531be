// mConsiste_Campos_Pedido_Item: the gate in front of every item write. Checks
// the fields in a fixed order, then the duplicate part, the status lock and
// the supplier's confirmed shipping days; the first refusal decides.
#include "component/frame.h"
#include "items/common.h"

namespace zolt::component {

namespace {

constexpr std::string_view kItemIdMissing = "Informe o Item do Pedido.";
constexpr std::string_view kOrderMissing = "Informe o pedido.";
constexpr std::string_view kPartMissing = "Informe o código da peça.";
constexpr std::string_view kItemConfirmed = "Item do pedido já confirmado. Não é possível a alteração dos dados.";

// A required date not before the server date.
bool check_date(std::string_view label, Variant& value, Variant& server_date, Variant& user_id, Variant& message) {
    Variant label_text(label), unused(""), date_text(""), required("S");
    return outside::validator().CheckDate(label_text, value, server_date, unused, user_id, message, date_text,
                                          required);
}

}  // namespace

HRESULT ZOLT::mConsiste_Campos_Pedido_Item(Variant& InVntPedido_Item_ID, Variant& InVntData_Embarque,
                                           Variant& InVntPeca_ID, Variant& InVntPedido_ID, Variant& InVntQtde_Pedida,
                                           Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                           Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& InVntFlag_Acao,
                                           bool& result) {
    start_result(result);
    Handler h("mConsiste_Campos_Pedido_Item", kItemUnavailable, TrailerForm::Validation, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        auto& formatter = outside::formatter();
        // The flag is read afresh for each comparison, trimmed, case-sensitive.
        auto flag_is = [&](std::string_view flag) {
            return automation::trim(text(formatter.TextValue(InVntFlag_Acao))) == flag;
        };

        if (flag_is("A") || flag_is("E")) {
            h.step(20);
            if (!required_number("Item do Pedido", InVntPedido_Item_ID, invntUsuario_Internet_ID, outvntMsg_Ret)) {
                outvntMsg_Ret = Variant(kItemIdMissing);
                return;
            }
        }

        // A deletion needs a usable item id and nothing more.
        h.step(30);
        if (flag_is("E")) {
            result = true;
            return;
        }

        h.step(40);
        if (!required_number("Pedido", InVntPedido_ID, invntUsuario_Internet_ID, outvntMsg_Ret)) {
            outvntMsg_Ret = Variant(kOrderMissing);
            return;
        }

        h.step(50);
        Variant server_date;
        bool date_read = false;
        check(self().gVerifica_Data_Atual(server_date, invntUsuario_Internet_ID, InVntConecta_DB, outvntMsg_Ret,
                                          InVntBanco_Dados, date_read));
        if (!date_read)
            return;

        // The date and quantity checkers' own messages stand.
        h.step(60);
        if (!check_date("Data de Embarque", InVntData_Embarque, server_date, invntUsuario_Internet_ID, outvntMsg_Ret))
            return;

        h.step(70);
        if (!required_number("Peça", InVntPeca_ID, invntUsuario_Internet_ID, outvntMsg_Ret)) {
            outvntMsg_Ret = Variant(kPartMissing);
            return;
        }

        h.step(80);
        if (!required_number("Qtde", InVntQtde_Pedida, invntUsuario_Internet_ID, outvntMsg_Ret))
            return;

        h.step(90);
        bool unique = false;
        check(self().gVerifica_Duplicidade_PEDIDO_ITEM(InVntPedido_Item_ID, InVntPeca_ID, InVntPedido_ID,
                                                       invntUsuario_Internet_ID, InVntConecta_DB, outvntMsg_Ret,
                                                       InVntBanco_Dados, unique));
        if (!unique)
            return;

        // Only a new item (status 509) may change once it exists.
        h.step(100);
        if (automation::is_true(automation::greater(formatter.NumberValue(InVntPedido_Item_ID), Variant(int16_t{0})))) {
            h.step(110);
            Variant status, status_found;
            check(self().gConsulta_Status_PEDIDO_ITEM(InVntPedido_Item_ID, status, invntUsuario_Internet_ID,
                                                      InVntConecta_DB, outvntMsg_Ret, InVntBanco_Dados, status_found));
            if (automation::to_long(status_found) != 0)
                return;
            h.step(120);
            if (automation::is_true(
                    automation::not_equals(formatter.NumberValue(status), Variant(items::kNewItemStatus)))) {
                outvntMsg_Ret = Variant(kItemConfirmed);
                return;
            }
        }

        h.step(130);
        bool day_free = false;
        check(self().mVerifica_Dupli_Pedido_Item_Fornecedor(InVntPedido_Item_ID, InVntPedido_ID, InVntData_Embarque,
                                                            invntUsuario_Internet_ID, InVntConecta_DB, outvntMsg_Ret,
                                                            InVntBanco_Dados, day_free));
        result = day_free;
    });
}

}  // namespace zolt::component
