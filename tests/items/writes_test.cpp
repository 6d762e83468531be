// Writing items: what happens when a step refuses or fails.
#include "component/frame.h"
#include "tests/support/helpers.h"

namespace zolt::test {
namespace {

// The embedded engine takes a date in a procedure call as {ts ...} too.
TEST_P(Items, AProcedureTakesATimestampLiteral) {
    EXPECT_EQ(rows("EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   {ts '2030-03-10 10:30:00'}, 302, 2, 40, 1, 2"),
              Lines{"0||6"});
    EXPECT_EQ(rows("SELECT PEDIDO_ID, PECA_ID, QTDE_PEDIDA, TAB_STATUS_ID, DATA_EMBARQUE FROM PEDIDO_ITEM "
                   "WHERE PEDIDO_ITEM_ID = 6"),
              Lines{"2|302|40|509|10/03/2030 10:30:00"});
}

// A procedure call the database refuses: the trailer ends with the whole
// call, after the database's own words, and the key counter stays.
TEST_P(Items, ARefusedProcedureCallEndsTheTrailer) {
    db->inject(TestDatabase::Mishap::Refuse, "PEDIDO_ITEM");
    const std::string insertion =
        "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', 303, 1, 40, 1, 1";
    std::string refusal;  // the database's own words
    try {
        ado::Recordset().open(Variant(insertion), Variant(db->connection_string()));
    } catch (const automation::AutomationError& e) {
        refusal = e.description();
    }
    user = Variant::long_(1);
    EXPECT_EQ(invoke("gInclui_Campos_PEDIDO_ITEM", new_item(), sql_server()), Variant::integer(10));
    EXPECT_EQ(message.text(), std::string(component::kItemUnavailable) +
                                  " - TvrZOLT.gInclui_Campos_PEDIDO_ITEM. ( " + refusal + " :  No Nº 120) " +
                                  insertion);
    EXPECT_EQ(rows("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'"), Lines{"5"});
}

}  // namespace
}  // namespace zolt::test
