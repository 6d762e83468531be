// The ODBC provider on the PostgreSQL server: typed values, recordsets over
// it, procedure calls, pooled connections and hidden passwords.
#include "tests/support/server.h"

namespace zolt::test {
namespace {

class Odbc : public BackendTest {};

// Columns are typed from the driver's descriptions: whole numbers as Longs
// (64-bit beyond), exact numbers as numbers, timestamps and dates as Dates,
// texts of any length and character as Strings.
TEST_P(Odbc, ValuesAreTypedFromTheColumnDescriptions) {
    std::string long_text;
    for (int i = 0; i < 700; ++i)
        long_text += "ç";
    const std::vector<std::pair<std::string, Variant>> columns{
        {"7", 7},
        {"9000000000", Variant(int64_t{9000000000})},
        {"2.5", Variant(2.5)},
        {"7::numeric", Variant::long_(7)},
        {"1.5::float8", Variant(1.5)},
        {"{ts '2030-01-15 14:30:00'}", day(2030, 1, 15, 14, 30)},
        {"{ts '2030-01-31 00:00:00'} + 1", day(2030, 2, 1)},
        {"DATE '2030-01-15'", day(2030, 1, 15)},
        {"'Metalúrgica Alfa'", Variant("Metalúrgica Alfa")},
        {"repeat('ç', 700)", Variant(long_text)},
        {"NULL::integer", Variant::null()}};
    std::string select = "SELECT 0 AS Name";
    for (const auto& [expression, value] : columns)
        select += ", " + expression;
    const ado::ResultSet answer = db->connect()->session().execute(select);
    EXPECT_EQ(answer.names().front(), "name");
    for (std::size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(answer.at(0, i + 1).type(), columns[i].second.type()) << columns[i].first;
        EXPECT_EQ(answer.at(0, i + 1), columns[i].second) << columns[i].first;
    }
}

// EXEC in any of the forms a caller may write reaches the server as a call of
// its routine, integer arguments rounded halves to even.
TEST_P(Odbc, ProcedureCallsInEveryForm) {
    db->exec(
        "CREATE FUNCTION SP_ECO(valor numeric, texto text, dia timestamp)"
        " RETURNS TABLE (RETORNO integer, TEXTO text, DIA timestamp)"
        " LANGUAGE sql AS $$ SELECT Infra_Inteiro(valor), texto, dia $$");
    const Variant ten = day(2030, 1, 15, 10);
    const std::vector<std::pair<std::string, std::vector<Variant>>> calls{
        {"EXEC SP_ECO   2.5, 'a''b', '2030-01-15T10:00:00'", {2, "a'b", ten}},
        {" exec sp_eco -2.5, NULL, {ts '2030-01-15 10:00:00'} ", {-2, Variant::null(), ten}},
        {"EXECUTE SP_ECO 3.5,'x',NULL", {4, "x", Variant::null()}}};
    for (const auto& [text, answer] : calls)
        EXPECT_EQ(db->rows(text).at(0), answer) << text;
}

// Separate connections come from the pool: many in a row keep one
// connection on the server.
TEST_P(Odbc, SeparateConnectionsArePooled) {
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

INSTANTIATE_TEST_SUITE_P(Server, Odbc, ::testing::Values(&on_server));

}  // namespace
}  // namespace zolt::test
