// The ODBC provider on the PostgreSQL server: typed values, recordsets over
// it, procedure calls, pooled connections and hidden passwords.
#include <gtest/gtest.h>

#include "tests/support/server.h"

namespace zolt::test {
namespace {

using automation::make_date;
using automation::Variant;

class Odbc : public ::testing::Test {
protected:
    void SetUp() override {
        ZOLT_REQUIRE_SERVER();
        db = std::make_unique<ServerDatabase>();
    }
    std::unique_ptr<ServerDatabase> db;
};

// Columns are typed from the driver's descriptions: whole numbers as Longs
// (64-bit beyond), exact numbers as numbers, timestamps and dates as Dates,
// texts of any length and character as Strings.
TEST_F(Odbc, ValuesAreTypedFromTheColumnDescriptions) {
    const ado::ResultSet answer = db->connect()->session().execute(
        "SELECT 7 AS Whole, 9000000000 AS Big, 2.5 AS Exact, 7::numeric AS Exact_Whole, 1.5::float8 AS Real,"
        " {ts '2030-01-15 14:30:00'} AS Moment, {ts '2030-01-31 00:00:00'} + 1 AS Next_Day, DATE '2030-01-15' AS Day,"
        " 'Metalúrgica Alfa' AS Name, repeat('ç', 700) AS Long_Text, NULL::integer AS Nothing");
    EXPECT_EQ(answer.columns, (std::vector<std::string>{"whole", "big", "exact", "exact_whole", "real", "moment",
                                                        "next_day", "day", "name", "long_text", "nothing"}));
    ASSERT_EQ(answer.rows.size(), 1u);
    std::string long_text;
    for (int i = 0; i < 700; ++i)
        long_text += "ç";
    const std::vector<Variant> expected{
        Variant::long_(7), Variant(int64_t{9000000000}), Variant(2.5), Variant::long_(7), Variant(1.5),
        Variant(make_date(2030, 1, 15, 14, 30)), Variant(make_date(2030, 2, 1)), Variant(make_date(2030, 1, 15)),
        Variant("Metalúrgica Alfa"), Variant(long_text), Variant::null()};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(answer.rows[0][i].type(), expected[i].type()) << answer.columns[i];
        EXPECT_EQ(answer.rows[0][i], expected[i]) << answer.columns[i];
    }
}

// Recordsets behave as on the embedded database: exact counts, a statement
// without rows leaves the recordset closed, a connection text opens a
// separate connection, and the trace shows each text as sent. EXEC reaches
// the server as a call of its routine, integer arguments rounded halves to
// even.
TEST_F(Odbc, RecordsetsProcedureCallsAndTheTrace) {
    db->exec("CREATE FUNCTION SP_ECO(valor numeric, texto text, dia timestamp)"
             " RETURNS TABLE (RETORNO integer, TEXTO text, DIA timestamp)"
             " LANGUAGE sql AS $$ SELECT Infra_Inteiro(valor), texto, dia $$");
    const Variant connection(automation::ObjectPtr(db->connect()));
    ado::trace::start();
    ado::Recordset query;
    query.set_cursor_location(ado::kAdUseClient);
    query.open(Variant("SELECT PEDIDO_ID FROM PEDIDO ORDER BY PEDIDO_ID"), connection, 3, 1);
    EXPECT_EQ(query.record_count(), 3);
    query.move_last();
    EXPECT_EQ(query.field("Pedido_ID")->value(), Variant::long_(3));

    ado::Recordset write;
    write.open(Variant("UPDATE PEDIDO SET EMPRESA_ID = 2 WHERE PEDIDO_ID = 99"), Variant(db->connection_string()));
    EXPECT_EQ(write.state(), 0);

    struct Call {
        std::string text;
        Variant retorno, texto, dia;
    };
    for (const Call& call : {Call{"EXEC SP_ECO   2.5, 'a''b', '2030-01-15T10:00:00'", Variant::long_(2), Variant("a'b"),
                                  Variant(make_date(2030, 1, 15, 10))},
                             Call{" exec sp_eco -2.5, NULL, {ts '2030-01-15 10:00:00'} ", Variant::long_(-2),
                                  Variant::null(), Variant(make_date(2030, 1, 15, 10))},
                             Call{"EXECUTE SP_ECO 3.5,'x',NULL", Variant::long_(4), Variant("x"), Variant::null()}}) {
        ado::Recordset answer;
        answer.open(Variant(call.text), connection);
        EXPECT_EQ(answer.field("RETORNO")->value(), call.retorno) << call.text;
        EXPECT_EQ(answer.field("Texto")->value(), call.texto) << call.text;
        EXPECT_EQ(answer.field("dia")->value(), call.dia) << call.text;
    }
    const auto entries = ado::trace::stop();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[1], (ado::TraceEntry{"UPDATE PEDIDO SET EMPRESA_ID = 2 WHERE PEDIDO_ID = 99", true}));
    EXPECT_EQ(entries[3], (ado::TraceEntry{" exec sp_eco -2.5, NULL, {ts '2030-01-15 10:00:00'} ", false}));
}

// Separate connections come from the pool: many in a row keep one
// connection on the server.
TEST_F(Odbc, SeparateConnectionsArePooled) {
    for (int i = 0; i < 50; ++i) {
        ado::Recordset write;
        write.open(Variant("UPDATE PEDIDO SET EMPRESA_ID = " + std::to_string(i) + " WHERE PEDIDO_ID = 1"),
                   Variant(db->connection_string()));
    }
    EXPECT_EQ(db->rows("SELECT EMPRESA_ID FROM PEDIDO WHERE PEDIDO_ID = 1")[0][0], Variant::long_(49));
    EXPECT_LE(automation::to_long(
                  db->rows("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database()")[0][0]),
              2);
}

}  // namespace
}  // namespace zolt::test
