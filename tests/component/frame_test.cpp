#include "component/frame.h"

#include <gtest/gtest.h>

#include "tests/support/helpers.h"

namespace zolt::component {
namespace {

using automation::AutomationError;
using automation::Array;
using test::ComponentTest;
using test::Arguments;

// What a method's message argument holds after a step numbered 30, with a
// statement under way, raised an error.
std::string message_after_failure(const Variant& user_id) {
    Variant message("before");
    Handler handler("mMetodo", kOrderUnavailable, TrailerForm::Public, user_id, message);
    handler.run_private([&] {
        handler.step(30);
        handler.statement = "EXEC SP_X   1";
        throw AutomationError(6, "Overflow");
    });
    return message.text();
}

// The trailer is for user 1 alone, given as any number or text that reads as
// 1. Its other forms show in the trailers of the methods.
TEST(Handler, WritesTheTrailerForTheFirstUserOnly) {
    const std::string with_trailer =
        std::string(kOrderUnavailable) + " - TvrZOLT.mMetodo. ( Overflow :  No Nº 30) EXEC SP_X   1";
    for (const Variant& user : {Variant::long_(1), Variant(1.0), Variant("1"), test::object_holding(Variant::integer(1))})
        EXPECT_EQ(message_after_failure(user), with_trailer);
    for (const Variant& user : {Variant::long_(2), Variant("um"), Variant(), Variant::null(),
                                Variant(Array{0, {Variant::long_(1)}}), Variant(true)})
        EXPECT_EQ(message_after_failure(user), kOrderUnavailable);
}

TEST(Handler, TurnsAnyStandardExceptionIntoAHandledError) {
    Variant message;
    const Variant user = Variant::long_(1);
    Handler handler("gMetodo", kItemUnavailable, TrailerForm::Public, user, message);
    const com::HRESULT status = handler.run([&] {
        handler.step(120);
        throw std::out_of_range("fora do intervalo");
    });
    EXPECT_EQ(status, com::S_OK);
    EXPECT_EQ(message.text(), std::string(kItemUnavailable) + " - TvrZOLT.gMetodo. ( fora do intervalo :  No Nº 120) ");
}

// The kind equals "ORACLE" by the Basic rule: exactly, an object through its
// value; Null never equals; an array or a Nothing object cannot be compared.
TEST(DatabaseKind, IsComparedWithOracleByTheBasicRule) {
    for (const Variant& kind : {Variant("ORACLE"), test::object_holding(Variant("ORACLE"))})
        EXPECT_TRUE(is_oracle(kind));
    for (const Variant& kind : {Variant("oracle"), Variant("ORACLE "), Variant(" ORACLE"), Variant(""), Variant(),
                                Variant::null(), Variant::long_(1), test::object_holding(Variant::null())})
        EXPECT_FALSE(is_oracle(kind));
    for (const Variant& kind : {Variant(Array{}), Variant(automation::ObjectPtr())})
        EXPECT_THROW(is_oracle(kind), AutomationError);
}

using Frame = ComponentTest;

// Every procedure call failing at its first, a middle or its last argument:
// the formatter refuses its n-th literal (the validations' duplicate checks
// write the first three). The trailer names the failing piece's step and ends
// with the call as far as it was built: each piece carries its separator, the
// item duplicate check's first piece carries the procedure's name, and a call
// built in one expression shows nothing. The validations' trailers end before
// any statement.
TEST_F(Frame, TrailersShowTheProcedureCallAsFarAsItWasBuilt) {
    struct Case {
        std::string method;
        Arguments arguments;
        int answered, step;
        std::string statement;
    };
    const Arguments order{{"InVntPedido_ID", Variant::long_(1)}}, item{{"InVntPedido_Item_ID", Variant::long_(1)}};
    Arguments new_order{{"InVntTab_Status_ID", Variant::long_(1)}, {"InVntNum_Pedido_Externo", Variant("PRG-0009")},
                        {"InVntFornecedor_ID", Variant::long_(101)}, {"InVntCliente_ID", Variant::long_(201)}};
    Arguments changed_order = new_order;
    changed_order.insert(changed_order.begin(), order.front());
    const Arguments order_check{{"InVntPedido_ID", Variant::long_(0)}, {"InVntNum_Pedido_Externo", Variant("PRG-0009")},
                                {"InVntFornecedor_ID", Variant::long_(101)}};
    const Arguments item_check{{"InVntPedido_Item_ID", Variant::long_(0)}, {"InVntPeca_ID", Variant::long_(303)},
                               {"InVntPedido_ID", Variant::long_(1)}};
    Arguments new_item{{"InVntData_Embarque", test::day(2030, 3, 10)}, {"InVntPeca_ID", Variant::long_(303)},
                       {"InVntPedido_ID", Variant::long_(1)}, {"InVntQtde_Pedida", Variant::long_(40)}};
    Arguments changed_item = new_item;
    changed_item.insert(changed_item.begin(), item.front());
    const std::string order_check_exec = "EXEC SP_QBX_DUP_PEDIDO_OLT1   ", item_check_exec = "EXEC SP_QBX_DUP_PEDIDO_ITEM_OLT1   ";
    const std::string insert = "EXEC SP_QBX_INC_PEDIDO_OLT1   ", update = "EXEC SP_QBX_ALT_PEDIDO_OLT1   ";
    const std::string insert_item = "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', ";
    const std::string update_item = "EXEC SP_QBX_ALT_PEDIDO_ITEM_OLT1   1, '2030-03-10T00:00:00', ";
    const std::vector<Case> cases{
        {"gConsulta_Campos_PEDIDO", order, 0, 40, ""},
        {"gVerifica_Duplicidade_PEDIDO", order_check, 0, 50, order_check_exec},
        {"gVerifica_Duplicidade_PEDIDO", order_check, 1, 60, order_check_exec + "'PRG-0009', "},
        {"gVerifica_Duplicidade_PEDIDO", order_check, 2, 70, order_check_exec + "'PRG-0009', 101, "},
        {"gInclui_Campos_PEDIDO", new_order, 3, 60, insert},
        {"gInclui_Campos_PEDIDO", new_order, 5, 80, insert + "1, 'PRG-0009', "},
        {"gInclui_Campos_PEDIDO", new_order, 6, 90, insert + "1, 'PRG-0009', 101, "},
        {"gAltera_Campos_PEDIDO", changed_order, 3, 60, update},
        {"gAltera_Campos_PEDIDO", changed_order, 5, 80, update + "1, 1, "},
        {"gAltera_Campos_PEDIDO", changed_order, 7, 100, update + "1, 1, 'PRG-0009', 101, "},
        {"gExclui_Campos_PEDIDO", order, 1, 50, ""},
        {"gConsulta_Campos_PEDIDO_ITEM", item, 0, 40, ""},
        {"gConsulta_Campos_LIS_PEDIDO_ITEM", order, 0, 40, ""},
        {"gVerifica_Duplicidade_PEDIDO_ITEM", item_check, 0, 40, ""},
        {"gVerifica_Duplicidade_PEDIDO_ITEM", item_check, 1, 50, item_check_exec + "303, "},
        {"gVerifica_Duplicidade_PEDIDO_ITEM", item_check, 2, 60, item_check_exec + "303, 1, "},
        {"gInclui_Campos_PEDIDO_ITEM", new_item, 3, 60, "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   "},
        {"gInclui_Campos_PEDIDO_ITEM", new_item, 5, 80, insert_item + "303, "},
        {"gInclui_Campos_PEDIDO_ITEM", new_item, 8, 110, insert_item + "303, 1, 40, 1, "},
        {"gAltera_Campos_PEDIDO_ITEM", changed_item, 3, 60, "EXEC SP_QBX_ALT_PEDIDO_ITEM_OLT1   "},
        {"gAltera_Campos_PEDIDO_ITEM", changed_item, 6, 90, update_item + "303, "},
        {"gAltera_Campos_PEDIDO_ITEM", changed_item, 9, 120, update_item + "303, 1, 40, 1, "},
        {"gExclui_Campos_PEDIDO_ITEM", item, 1, 50, ""},
        {"mConsiste_Campos_Pedido", {}, -1, 20, ""},
        {"mConsiste_Campos_Pedido_Item", {}, -1, 10, ""},
    };
    for (const Case& c : cases) {
        test::ScopedClass failing(outside::clsid::kSqlFormatter, test::failing_formatter_class("Recusado", c.answered));
        test::on_new_thread([&] {
            Arguments arguments = c.arguments;
            arguments.emplace_back("invntUsuario_Internet_ID", Variant::long_(1));
            const Variant result = invoke(c.method, arguments, sql_server());
            EXPECT_TRUE(result == Variant(false) || result == Variant::integer(10)) << c.method;
            const bool item_method = c.method.ends_with("ITEM") || c.method.ends_with("Item");
            EXPECT_EQ(message,
                      Variant(std::string(item_method ? kItemUnavailable : kOrderUnavailable) + " - TvrZOLT." +
                              c.method + ". ( Recusado :  No Nº " + std::to_string(c.step) + ") " + c.statement))
                << c.method << " " << c.answered;
        });
    }
}

}  // namespace
}  // namespace zolt::component
