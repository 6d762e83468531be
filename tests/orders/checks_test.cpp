#include "tests/orders/order_test.h"

namespace zolt::orders_test {
namespace {

using DuplicateCheck = OrderTest;

// Sample orders: 1 'PRG-0001' of supplier 101 (live), 3 'PRG-0003' of 101 (deleted).
TEST_F(DuplicateCheck, CountsLiveOrdersOfTheSupplierLeavingOutTheOrderItself) {
    struct Case {
        Variant kind, id;
        std::string number;
        int supplier;
        std::string statement;
        bool unique;
    };
    const std::vector<Case> cases{
        {oracle(), Variant(), "PRG-0001", 101, new_order_count("'PRG-0001'", "101"), false},
        {oracle(), Variant::long_(0), "PRG-0001", 101, new_order_count("'PRG-0001'", "101"), false},
        {oracle(), Variant::long_(1), "PRG-0001", 101, existing_order_count("'PRG-0001'", "101", "1"), true},
        {oracle(), Variant::long_(2), "PRG-0001", 101, existing_order_count("'PRG-0001'", "101", "2"), false},
        {oracle(), Variant(), "PRG-0003", 101, new_order_count("'PRG-0003'", "101"), true},
        {oracle(), Variant(), "PRG-0001", 102, new_order_count("'PRG-0001'", "102"), true},
        {oracle(), Variant(), "O'Brien", 101, new_order_count("'O''Brien'", "101"), true},
        {oracle(), Variant::long_(2), "O'Brien", 101, existing_order_count("'O''Brien'", "101", "2"), true},
        {sql_server(), Variant(), "PRG-0001", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0001', 101, NULL", false},
        {sql_server(), Variant::long_(0), "PRG-0001", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0001', 101, 0", false},
        {sql_server(), Variant::long_(1), "PRG-0001", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0001', 101, 1", true},
        {sql_server(), Variant::long_(2), "PRG-0001", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0001', 101, 2", false},
        {sql_server(), Variant(), "PRG-0003", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0003', 101, NULL", true},
        {sql_server(), Variant(), "PRG-0001", 102, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0001', 102, NULL", true},
        {sql_server(), Variant(), "O'Brien", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'O''Brien', 101, NULL", true},
    };
    for (const auto& c : cases) {
        message = Variant("antes");
        bool unique = !c.unique;
        EXPECT_EQ(traced([&] { unique = duplicate(c.id, Variant(c.number), Variant::long_(c.supplier), c.kind); }),
                  (std::vector<ado::TraceEntry>{{c.statement, false}}));
        EXPECT_EQ(unique, c.unique) << c.statement;
        EXPECT_EQ(message, Variant(c.unique ? "antes" : kDuplicate)) << c.statement;
    }
}

TEST_F(DuplicateCheck, AnErrorInTheEmulationEndsTheCheck) {
    user = Variant::long_(1);
    test::ScopedClass failing(outside::clsid::kLiteralWriter, failing_writer_class("Escritor falhou"));
    test::on_new_thread([&] {
        const auto statements =
            traced_texts([&] { EXPECT_FALSE(duplicate(Variant(), Variant("X"), Variant::long_(101), oracle())); });
        EXPECT_TRUE(statements.empty());
        EXPECT_EQ(message.text(), std::string(kOracleUnavailable) +
                                      " - mTrataSP_QBX_DUP_PEDIDO_OLT1 (Escritor falhou :  No Nº 30)"
                                      " SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO  WHERE ");
        user = Variant::long_(2);
        EXPECT_FALSE(duplicate(Variant(), Variant("X"), Variant::long_(101), oracle()));
        EXPECT_EQ(message.text(), kOracleUnavailable);
    });
}

// A procedure answering with no result set, or with no row, fails the check.
TEST_F(DuplicateCheck, AnAnswerWithoutCountFailsTheCheck) {
    for (const std::string body : {"UPDATE PEDIDO SET EMPRESA_ID = 1 WHERE 0", "SELECT 0 AS Contador WHERE 0"}) {
        const test::TempDatabase other;
        other.exec("DELETE FROM Infra_Procedimento WHERE NOME = 'SP_QBX_DUP_PEDIDO_OLT1'");
        other.exec("CREATE PROCEDURE SP_QBX_DUP_PEDIDO_OLT1 (@N TEXT, @F INTEGER, @P INTEGER) AS " + body);
        connection = Variant(automation::ObjectPtr(other.connect()));
        EXPECT_FALSE(duplicate(Variant(), Variant("NOVO-1"), Variant::long_(101), sql_server()));
        EXPECT_EQ(message, Variant("Erro na verificação de duplicidade do pedido.")) << body;
    }
}

using OrderValidation = OrderTest;

// "A" and "E" (blanks around allowed, letter case not) ask for the order id;
// every other flag is an insertion, which never looks at it.
TEST_F(OrderValidation, TheFlagDecidesWhetherTheOrderIdIsChecked) {
    for (const Variant& flag : {Variant("A"), Variant(" A "), Variant("E"), Variant("E ")}) {
        message = Variant("antes");
        EXPECT_FALSE(validate(Variant(), Variant("NOVO-1"), Variant::long_(101), Variant::long_(201), flag, oracle()));
        EXPECT_EQ(message, Variant("Informe o pedido.")) << flag.text();
    }
    for (const Variant& flag : {Variant("I"), Variant("a"), Variant("e"), Variant(""), Variant(), Variant::null()}) {
        message = Variant("antes");
        EXPECT_TRUE(validate(Variant(), Variant("NOVO-1"), Variant::long_(101), Variant::long_(201), flag, oracle()));
        EXPECT_EQ(message, Variant("antes"));
    }
    // A deletion needs the order id alone: nothing else is checked, nothing is read.
    EXPECT_TRUE(traced_texts([&] {
                    EXPECT_TRUE(validate(Variant::long_(1), Variant(), Variant(), Variant(), Variant("E"), oracle()));
                }).empty());
    for (const Variant& id : {Variant::long_(0), Variant::long_(-1), Variant("abc"), Variant("  ")}) {
        EXPECT_FALSE(validate(id, Variant(), Variant(), Variant(), Variant("E"), oracle()));
        EXPECT_EQ(message, Variant("Informe o pedido."));
    }
}

TEST_F(OrderValidation, TheFirstRefusedFieldDecides) {
    struct Case {
        Variant number, supplier, client;
        std::string message;
    };
    const std::string too_long(21, 'N');
    const std::vector<Case> cases{
        {Variant(), Variant(), Variant(), "Informe o campo N.º Programação."},
        {Variant("   "), Variant::long_(101), Variant::long_(201), "Informe o campo N.º Programação."},
        {Variant(too_long), Variant(), Variant(), "O campo N.º Programação deve ter no máximo 20 caracteres."},
        {Variant("NOVO-1"), Variant(), Variant(), "Informe o fornecedor."},
        {Variant("NOVO-1"), Variant("abc"), Variant::long_(201), "Informe o fornecedor."},
        {Variant("NOVO-1"), Variant::long_(101), Variant::long_(0), "Informe a planta."},
        {Variant("NOVO-1"), Variant::long_(101), Variant::null(), "Informe a planta."},
    };
    for (const auto& c : cases) {
        message = Variant("antes");
        EXPECT_TRUE(traced_texts([&] {
                        EXPECT_FALSE(validate(Variant(), c.number, c.supplier, c.client, Variant("I"), sql_server()));
                    }).empty());
        EXPECT_EQ(message, Variant(c.message));
    }
    // Twenty characters pass; the duplicate check has the last word.
    EXPECT_TRUE(validate(Variant(), Variant(std::string(20, 'N')), Variant::long_(101), Variant::long_(201),
                         Variant("I"), sql_server()));
    EXPECT_FALSE(validate(Variant(), Variant("PRG-0001"), Variant::long_(101), Variant::long_(201), Variant("I"),
                          sql_server()));
    EXPECT_EQ(message, Variant(kDuplicate));
}

TEST_F(OrderValidation, AnErrorEndsWithTheTrailerWithoutStatement) {
    test::ScopedClass failing(outside::clsid::kSqlFormatter, test::failing_formatter_class("Formatador falhou"));
    test::on_new_thread([&] {
        user = Variant::long_(1);
        EXPECT_FALSE(validate(Variant::long_(1), Variant("X"), Variant::long_(101), Variant::long_(201),
                              Variant("A"), oracle()));
        EXPECT_EQ(message.text(), std::string(kOrderUnavailable) +
                                      " - TvrZOLT.mConsiste_Campos_Pedido. ( Formatador falhou :  No Nº 20) ");
    });
}

}  // namespace
}  // namespace zolt::orders_test
