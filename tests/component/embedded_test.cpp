// The order and item suites on the embedded database, and what only the
// embedded engine lets a test do: put procedures of its own in place.
#include "tests/items/item_test.h"
#include "tests/orders/order_test.h"

namespace zolt::test {
namespace {

using orders_test::Orders;

std::unique_ptr<TestDatabase> embedded() { return std::make_unique<TempDatabase>(); }

INSTANTIATE_TEST_SUITE_P(Embedded, Items, ::testing::Values(&embedded));
INSTANTIATE_TEST_SUITE_P(Embedded, Orders, ::testing::Values(&embedded));

class EmbeddedOrders : public Orders {};
INSTANTIATE_TEST_SUITE_P(Embedded, EmbeddedOrders, ::testing::Values(&embedded));

// A procedure answering with no result set, or with no row, fails the check.
TEST_P(EmbeddedOrders, AnAnswerWithoutCountFailsTheCheck) {
    for (const std::string body : {"UPDATE PEDIDO SET EMPRESA_ID = 1 WHERE 0", "SELECT 0 AS Contador WHERE 0"}) {
        auto other = embedded();
        other->exec("DELETE FROM Infra_Procedimento WHERE NOME = 'SP_QBX_DUP_PEDIDO_OLT1'");
        other->exec("CREATE PROCEDURE SP_QBX_DUP_PEDIDO_OLT1 (@N TEXT, @F INTEGER, @P INTEGER) AS " + body);
        use(std::move(other));
        EXPECT_FALSE(duplicate(Variant(), Variant("NOVO-1"), Variant::long_(101), sql_server()));
        EXPECT_EQ(message, Variant("Erro na verificação de duplicidade do pedido.")) << body;
    }
}

}  // namespace
}  // namespace zolt::test
