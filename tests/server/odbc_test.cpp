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
        " {ts '2030-01-15 14:30:00'} AS Moment, {ts '2030-01-31 00:00:00'} + 1 AS Next_Day,"
        " DATE '2030-01-15' AS Day,"
        " 'Metalúrgica Alfa' AS Name, repeat('ç', 700) AS Long_Text, NULL::integer AS Nothing");
    EXPECT_EQ(answer.names(),
              (std::vector<std::string>{"whole", "big", "exact", "exact_whole", "real", "moment", "next_day",
                                        "day", "name", "long_text", "nothing"}));
    ASSERT_EQ(answer.row_count(), 1u);
    std::string long_text;
    for (int i = 0; i < 700; ++i)
        long_text += "ç";
    const std::vector<Variant> expected{7,
                                        Variant(int64_t{9000000000}),
                                        Variant(2.5),
                                        Variant::long_(7),
                                        Variant(1.5),
                                        Variant(make_date(2030, 1, 15, 14, 30)),
                                        Variant(make_date(2030, 2, 1)),
                                        Variant(make_date(2030, 1, 15)),
                                        Variant("Metalúrgica Alfa"),
                                        Variant(long_text),
                                        Variant::null()};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(answer.at(0, i).type(), expected[i].type()) << answer.names()[i];
        EXPECT_EQ(answer.at(0, i), expected[i]) << answer.names()[i];
    }
}

// EXEC in any of the forms a caller may write reaches the server as a call of
// its routine, integer arguments rounded halves to even.
TEST_F(Odbc, ProcedureCallsInEveryForm) {
    db->exec(
        "CREATE FUNCTION SP_ECO(valor numeric, texto text, dia timestamp)"
        " RETURNS TABLE (RETORNO integer, TEXTO text, DIA timestamp)"
        " LANGUAGE sql AS $$ SELECT Infra_Inteiro(valor), texto, dia $$");
    const Variant day(make_date(2030, 1, 15, 10));
    const std::vector<std::pair<std::string, std::vector<Variant>>> calls{
        {"EXEC SP_ECO   2.5, 'a''b', '2030-01-15T10:00:00'", {2, "a'b", day}},
        {" exec sp_eco -2.5, NULL, {ts '2030-01-15 10:00:00'} ", {-2, Variant::null(), day}},
        {"EXECUTE SP_ECO 3.5,'x',NULL", {4, "x", Variant::null()}}};
    for (const auto& [text, answer] : calls)
        EXPECT_EQ(db->rows(text).at(0), answer) << text;
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
