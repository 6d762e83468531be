// Writing items: what happens when a step refuses or fails.
#include "tests/items/item_test.h"

namespace zolt::test {
namespace {

// Without a counter the procedure draws no key: it refuses with a RETORNO,
// which leaves the message alone.
TEST_P(Items, AProcedureThatRefusesLeavesTheMessage) {
    db->exec("DELETE FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'");
    ItemCall c = new_item();
    EXPECT_EQ(insert(c, sql_server()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("as passed"));
    EXPECT_TRUE(c.new_id.is_empty());
    EXPECT_EQ(item(6), "");
    EXPECT_TRUE(log().empty());

    // A date reaches a procedure as a text or as {ts ...}.
    db->exec("INSERT INTO Infra_Chave VALUES ('PEDIDO_ITEM_ID', 5)");
    EXPECT_EQ(rows("EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   {ts '2030-03-10 10:30:00'}, 302, 2, 40, 1, 2"),
              Lines{"0||6"});
    EXPECT_EQ(item(6), "2|302|40|509|10/03/2030 10:30:00");
}

// The public trailer ends with the EXEC as far as it was built; the
// emulation's with its own statement as far as it was built.
TEST_P(Items, ErrorsCarryTheirTrailersForTheFirstUser) {
    db->inject(TestDatabase::Mishap::Refuse, "PEDIDO_ITEM");
    const std::string insertion = "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', 303, 1, 40, 1, 1";
    ItemCall c = new_item();
    c.user = Variant::long_(1);
    EXPECT_EQ(insert(c, sql_server()), Variant::integer(10));
    EXPECT_EQ(c.message.text(), kItemUnavailable + " - TvrZOLT.gInclui_Campos_PEDIDO_ITEM. ( " +
                                    error_of(*db, insertion) + " :  No Nº 120) " + insertion);
    EXPECT_EQ(last_key(), "5");

    // The formatter refuses the part, after the validation's three literals.
    ScopedClass failing(outside::clsid::kSqlFormatter, failing_formatter_class("Recusado", 3));
    on_new_thread([&] {
        c = new_item();
        c.item_id = Variant::long_(1);
        c.user = Variant::long_(1);
        EXPECT_EQ(update(c, oracle()), Variant::integer(10));
        EXPECT_EQ(c.message.text(), kOracleUnavailable +
                                        " - mTrataSP_QBX_ALT_PEDIDO_ITEM_OLT1 (Recusado :  No Nº 30) UPDATE "
                                        "PEDIDO_ITEM  SET  DATA_EMBARQUE =  {ts '2030-03-10 00:00:00'} , ");
    });
    EXPECT_EQ(item(1), "1|301|100|509|15/01/2030");
}

}  // namespace
}  // namespace zolt::test
