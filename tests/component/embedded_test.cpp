// The order and item suites on the embedded database, and what only the
// embedded engine lets a test do: put procedures of its own in place.
#include "tests/support/helpers.h"

namespace zolt::test {
namespace {

std::unique_ptr<TestDatabase> embedded() { return std::make_unique<TempDatabase>(); }

INSTANTIATE_TEST_SUITE_P(Embedded, Items, ::testing::Values(&embedded));
INSTANTIATE_TEST_SUITE_P(Embedded, Orders, ::testing::Values(&embedded));

using Embedded = ComponentTest;

// A procedure answering with no result set, or with no row, fails the check
// (a connection reads the procedures when it opens).
TEST_F(Embedded, AnAnswerWithoutCountFailsTheCheck) {
    for (const std::string body :
         {"UPDATE PEDIDO SET EMPRESA_ID = 1 WHERE 0", "SELECT 0 AS Contador WHERE 0"}) {
        db->exec("DELETE FROM Infra_Procedimento WHERE NOME = 'SP_QBX_DUP_PEDIDO_OLT1'");
        db->exec("CREATE PROCEDURE SP_QBX_DUP_PEDIDO_OLT1 (@N TEXT, @F INTEGER, @P INTEGER) AS " + body);
        connection = Variant(automation::ObjectPtr(db->connect()));
        EXPECT_EQ(
            invoke("gVerifica_Duplicidade_PEDIDO", {{kNumber, "NOVO-1"}, {kSupplier, 101}}, sql_server()),
            Variant(false));
        EXPECT_EQ(message, Variant("Erro na verificação de duplicidade do pedido.")) << body;
    }
}

}  // namespace
}  // namespace zolt::test
