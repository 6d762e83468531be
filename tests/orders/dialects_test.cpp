#include "tests/orders/order_test.h"

namespace zolt::orders_test {
namespace {

using OrderDialects = OrderTest;

// The same session of writes, once through the inline SQL and once through
// the procedures, each on a database of its own, leaves the same rows and the
// same log behind. The one difference is the client: the procedures are
// never given one, so orders they create carry none and updates keep theirs.
TEST_F(OrderDialects, BothDialectsLeaveTheSameRows) {
    const test::TempDatabase procedures_db;
    const auto session = [&](const Variant& kind) {
        Variant first, second;
        EXPECT_EQ(insert(Variant("PRG-0500"), Variant::long_(101), Variant::long_(201), kind, first),
                  Variant::integer(0));
        EXPECT_EQ(insert(Variant("PRG-0501"), Variant::long_(102), Variant::long_(202), kind, second),
                  Variant::integer(0));
        EXPECT_EQ(update(first, Variant("PRG-0502"), Variant::long_(103), Variant::long_(202), kind),
                  Variant::integer(0));
        EXPECT_EQ(remove(second, kind), Variant::integer(0));
        EXPECT_EQ(update(Variant::long_(3), Variant("PRG-0503"), Variant::long_(101), Variant::long_(201), kind),
                  Variant::integer(0));
        EXPECT_EQ(message, Variant("antes"));
    };
    session(oracle());
    connection = Variant(automation::ObjectPtr(procedures_db.connect()));
    session(sql_server());

    for (const std::string sql : {"SELECT PEDIDO_ID, EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID "
                                  "FROM PEDIDO ORDER BY PEDIDO_ID",
                                  "SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao "
                                  "ORDER BY OPERACAO_ID",
                                  "SELECT NOME_COLUNA, ULTIMO_VALOR FROM Infra_Chave ORDER BY NOME_COLUNA"})
        EXPECT_EQ(orders_test::texts(db, sql), orders_test::texts(procedures_db, sql)) << sql;
    EXPECT_EQ(orders_test::texts(db, "SELECT PEDIDO_ID, TAB_STATUS_ID FROM PEDIDO WHERE PEDIDO_ID > 2 ORDER BY 1"),
              (std::vector<std::string>{"3|1", "4|1", "5|2"}));

    const std::string clients = "SELECT Cliente_ID FROM PEDIDO WHERE PEDIDO_ID >= 3 ORDER BY PEDIDO_ID";
    EXPECT_EQ(orders_test::texts(db, clients), (std::vector<std::string>{"201", "202", "202"}));
    EXPECT_EQ(orders_test::texts(procedures_db, clients), (std::vector<std::string>{"201", "NULL", "NULL"}));
}

}  // namespace
}  // namespace zolt::orders_test
