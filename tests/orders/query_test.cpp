#include "tests/orders/order_test.h"

namespace zolt::orders_test {
namespace {

using Entries = std::vector<ado::TraceEntry>;

std::string oracle_select(const std::string& id) {
    return " SELECT  PEDIDO.PEDIDO_ID ,  PEDIDO.NUM_PEDIDO_EXTERNO ,  PEDIDO.FORNECEDOR_ID,  VFornecedor.Nome_Fantasia "
           "as Fornecedor,  VCliente.Nome_Fantasia as Cliente,  Pedido.Cliente_ID  FROM  PEDIDO , VFornecedor, "
           "VCliente  WHERE  Pedido.Fornecedor_ID = VFornecedor.Fornecedor_ID  And Pedido.Cliente_ID = "
           "VCliente.Pessoa_ID  And PEDIDO.PEDIDO_ID =  " +
           id + "  AND PEDIDO.TAB_STATUS_ID = 1 ";
}

using OrderQuery = OrderTest;

TEST_F(OrderQuery, ReadsALiveOrderInBothDialects) {
    const std::vector<std::pair<Variant, std::string>> dialects{{oracle(), oracle_select("1")},
                                                                {sql_server(), "EXEC SP_QBX_CON_PEDIDO_OLT1   1"}};
    for (const auto& [kind, statement] : dialects) {
        OrderFields out;
        Variant result;
        EXPECT_EQ(traced([&] { result = query(Variant::long_(1), kind, out); }), (Entries{{statement, false}}));
        EXPECT_EQ(result, Variant::integer(0));
        EXPECT_EQ(out.number, Variant("PRG-0001"));
        EXPECT_EQ(out.supplier_id, Variant::long_(101));
        EXPECT_EQ(out.supplier, Variant("Metalúrgica Alfa"));
        EXPECT_EQ(out.client_id, Variant::long_(201));
        EXPECT_EQ(out.client, Variant("Planta Curitiba"));
        EXPECT_EQ(message, Variant("antes"));
    }
}

TEST_F(OrderQuery, NullTextsComeBackEmpty) {
    db.exec("INSERT INTO PESSOA VALUES (104, NULL, 'F')");
    db.exec("INSERT INTO PEDIDO VALUES (10, 1, 1, NULL, 104, 202)");
    for (const Variant& kind : {oracle(), sql_server()}) {
        OrderFields out;
        EXPECT_EQ(query(Variant::long_(10), kind, out), Variant::integer(0));
        EXPECT_EQ(out.number, Variant(""));
        EXPECT_EQ(out.supplier, Variant(""));
        EXPECT_EQ(out.client, Variant("Planta Betim"));
    }
}

// Deleted orders, unknown ids and orders whose supplier has no row in its view
// are not shown. A client missing from its view hides the order only in the
// inline SELECT: orders created through the procedure carry no client at all.
TEST_F(OrderQuery, OrdersNotToBeShownAreReportedAsNotFound) {
    db.exec("INSERT INTO PEDIDO VALUES (10, 1, 1, 'SEM-FORN', 999, 201), (11, 1, 1, 'SEM-CLI', 101, 999)");
    for (const Variant& kind : {oracle(), sql_server()}) {
        for (int id : {99, 3, 10}) {
            OrderFields out;
            message = Variant("antes");
            EXPECT_EQ(query(Variant::long_(id), kind, out), Variant::integer(10)) << id;
            EXPECT_EQ(message, Variant(kNotFound)) << id;
            EXPECT_EQ(out.number, kUnset);
            EXPECT_EQ(out.client, kUnset);
        }
    }
    EXPECT_EQ(query(Variant::long_(11), oracle()), Variant::integer(10));
    OrderFields out;
    EXPECT_EQ(query(Variant::long_(11), sql_server(), out), Variant::integer(0));
    EXPECT_EQ(out.client_id, Variant::long_(999));
    EXPECT_EQ(out.client, Variant(""));
}

// Each dialect reads the id its own way: the inline SELECT through the number
// formatter and a 32-bit conversion (halves to even), the procedure call
// through the SQL literal.
TEST_F(OrderQuery, OddIdsInEachDialect) {
    struct Case {
        Variant kind, id;
        std::vector<std::string> statements;
        std::string message;
    };
    const std::vector<Case> cases{
        {oracle(), Variant(), {oracle_select("0")}, kNotFound},
        {oracle(), Variant("abc"), {oracle_select("0")}, kNotFound},
        {oracle(), Variant(2.5), {oracle_select("2")}, "antes"},
        {oracle(), Variant(int64_t{5000000000}), {}, std::string(kOrderUnavailable)},
        {sql_server(), Variant(), {"EXEC SP_QBX_CON_PEDIDO_OLT1   NULL"}, kNotFound},
        {sql_server(), Variant("abc"), {}, std::string(kOrderUnavailable)},
        {sql_server(), Variant(int64_t{5000000000}), {"EXEC SP_QBX_CON_PEDIDO_OLT1   5000000000"}, kNotFound},
    };
    for (const auto& c : cases) {
        message = Variant("antes");
        EXPECT_EQ(traced_texts([&] { query(c.id, c.kind); }), c.statements) << c.message;
        EXPECT_EQ(message, Variant(c.message)) << automation::format(c.id);
    }
}

TEST_F(OrderQuery, ErrorsCarryTheTrailerForTheFirstUserOnly) {
    std::string overflow, mismatch;
    try {
        automation::to_long(Variant(5e9));
    } catch (const automation::AutomationError& e) {
        overflow = e.description();
    }
    try {
        outside::formatter().SqlNumber(Variant("abc"));
    } catch (const automation::AutomationError& e) {
        mismatch = e.description();
    }
    const std::string order(kOrderUnavailable);

    user = Variant::long_(1);
    query(Variant(int64_t{5000000000}), oracle());
    EXPECT_EQ(message.text(), order + " - TvrZOLT.gConsulta_Campos_PEDIDO. ( " + overflow + " :  No Nº 10) ");
    user = Variant("1");
    query(Variant("abc"), sql_server());
    EXPECT_EQ(message.text(), order + " - TvrZOLT.gConsulta_Campos_PEDIDO. ( " + mismatch +
                                  " :  No Nº 30) EXEC SP_QBX_CON_PEDIDO_OLT1   ");
    user = Variant::long_(2);
    EXPECT_EQ(query(Variant("abc"), sql_server()), Variant::integer(10));
    EXPECT_EQ(message.text(), order);
}

}  // namespace
}  // namespace zolt::orders_test
