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

// The public trailer ends with the EXEC as far as it was built; the
// emulation's with its own statement as far as it was built.
TEST_P(Items, ErrorsCarryTheirTrailersForTheFirstUser) {
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

    // The formatter refuses the part, after the validation's three literals.
    FailingFormatter failing("Recusado", 3);
    on_new_thread([&] {
        Arguments update = changed(new_item(), {{kItem, 1}});
        EXPECT_EQ(invoke("gAltera_Campos_PEDIDO_ITEM", update, oracle()), Variant::integer(10));
        EXPECT_EQ(message.text(), std::string(component::kOracleUnavailable) +
                                      " - mTrataSP_QBX_ALT_PEDIDO_ITEM_OLT1 (Recusado :  No Nº 30) UPDATE "
                                      "PEDIDO_ITEM  SET  DATA_EMBARQUE =  {ts '2030-03-10 00:00:00'} , ");
    });
    EXPECT_EQ(rows("SELECT PECA_ID, QTDE_PEDIDA, TAB_STATUS_ID FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 1"),
              Lines{"301|100|509"});
}

}  // namespace
}  // namespace zolt::test
