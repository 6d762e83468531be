// The embedded database engine: stored procedures, date literals,
// result typing, a database shared by several connections,
// and the database loader.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "db/database.h"
#include "platform/ado/ado.h"
#include "platform/sqlite/sql_text.h"
#include "tests/support/fixture.h"
#include "tests/support/shape_check.h"

namespace zolt::sqlite {
namespace {

using automation::AutomationError;
using automation::Variant;
using automation::VarType;
using test::TempDatabase;

// The description of the error the call raised; "" when it raised none.
std::string error_of(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), ado::err::kProviderError);
        return e.description();
    }
    return {};
}

class EngineTest : public ::testing::Test {
protected:
    TempDatabase db;
    std::shared_ptr<ado::Connection> connection = db.connect();

    ado::ResultSet execute(const std::string& sql) { return connection->session().execute(sql); }
    Variant scalar(const std::string& sql) { return execute(sql).rows.at(0).at(0); }
};

// ---- dates ----------------------------------------------------------------------

TEST_F(EngineTest, DateLiteralsCompareWithStoredDatesAndAddWholeDays) {
    // Stored with julianday() by the sample data; the literal of the same
    // instant must be the very same number.
    EXPECT_EQ(scalar("SELECT PEDIDO_ITEM_ID FROM PEDIDO_ITEM WHERE DATA_EMBARQUE = {ts '2030-01-15 14:30:00'}"),
              Variant(int32_t{2}));

    execute("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = {ts '2030-01-16 00:00:00'} WHERE PEDIDO_ITEM_ID = 3");
    execute("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = { TS '2030-01-15 23:59:59' } WHERE PEDIDO_ITEM_ID = 4");
    const std::string day_window =
        " And Pedido_Item.Data_Embarque >= {ts '2030-01-15 00:00:00'}"
        " And Pedido_Item.Data_Embarque < {ts '2030-01-15 00:00:00'} + 1 ";
    // Items 1 and 2 at the start and in the afternoon, item 4 a second before
    // midnight; item 3 at the next midnight is outside.
    EXPECT_EQ(scalar("SELECT Count(PEDIDO_ITEM_ID) As Contador FROM PEDIDO_ITEM WHERE 1 = 1" + day_window),
              Variant(int32_t{3}));
    EXPECT_EQ(scalar("SELECT DATA_EMBARQUE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 3"),
              Variant(automation::make_date(2030, 1, 16)));
    EXPECT_EQ(scalar("SELECT {d '2030-01-15'} + 1 - {ts '2030-01-16 00:00:00'}"), Variant(0.0));

    EXPECT_NE(error_of([&] { execute("SELECT {ts '2030-02-30 00:00:00'}"); }), "");
    // Inside quotes nothing is rewritten.
    EXPECT_EQ(scalar("SELECT '{ts ''2030-01-15 00:00:00''} and Sysdate'"),
              Variant("{ts '2030-01-15 00:00:00'} and Sysdate"));
}

TEST_F(EngineTest, ResultTypes) {
    execute("CREATE TABLE T (D DATE, N INTEGER)");
    execute("INSERT INTO T VALUES ({ts '2030-01-15 10:00:00'}, 5000000000)");
    execute("CREATE VIEW V AS SELECT D AS Shipped FROM T");
    const auto result = execute(
        "SELECT D, (SELECT Shipped FROM V) AS Viewed, N, 7 AS Small, 2.5 AS Real, 'txt' AS Text, NULL AS Missing, "
        "D + 0 AS Arithmetic FROM T");
    const auto& row = result.rows.at(0);
    const Variant shipped(automation::make_date(2030, 1, 15, 10));
    EXPECT_EQ(row[0], shipped);
    EXPECT_EQ(row[1], shipped);
    EXPECT_EQ(row[2], Variant(int64_t{5000000000}));
    EXPECT_EQ(row[3], Variant(int32_t{7}));
    EXPECT_EQ(row[4], Variant(2.5));
    EXPECT_EQ(row[5], Variant("txt"));
    EXPECT_EQ(row[6], Variant::null());
    EXPECT_EQ(row[7].type(), VarType::R8);  // an expression has no declared type
}

// ---- statements and scripts --------------------------------------------------

TEST_F(EngineTest, CachedStatementsSeeNewDataAndScriptsAnswerTheirLastResult) {
    const std::string count = "Select Count(*) As Contador From PEDIDO ";
    EXPECT_EQ(scalar(count), Variant(int32_t{3}));
    execute("INSERT INTO PEDIDO (PEDIDO_ID) VALUES (9)");
    EXPECT_EQ(scalar(count), Variant(int32_t{4}));

    const auto script = execute("CREATE TABLE S (X INTEGER); INSERT INTO S VALUES (1); SELECT X FROM S; "
                                "UPDATE S SET X = 2;");
    ASSERT_TRUE(script.has_result);
    EXPECT_EQ(script.rows.at(0).at(0), Variant(int32_t{1}));
    EXPECT_FALSE(execute("  -- nothing but a comment\n").has_result);
}

TEST(StatementShape, ValuesComeOutWhereTheyAreOnlyValues) {
    struct Case {
        std::string sql, shape;
        std::vector<std::string> values;  // as written
    };
    const Case cases[] = {
        {" SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO  WHERE  NUM_PEDIDO_EXTERNO =  'O''B 1' And PEDIDO_ID <>  7 ",
         " SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO  WHERE  NUM_PEDIDO_EXTERNO =  ? And PEDIDO_ID <>  ? ",
         {"O'B 1", "7"}},
        // Reals a double holds exactly come out; others, and whole numbers past 64 bits, stay.
        {"UPDATE T SET D = 2462869.5 + 1, N = -3, X = x'00' WHERE T1.C IN (1e3, .5, 0.1, 1e999, 0.0) /* 9 */",
         "UPDATE T SET D = ? + ?, N = -?, X = x'00' WHERE T1.C IN (?, ?, 0.1, 1e999, 0.0) /* 9 */",
         {"2462869.5", "1", "3", "1e3", ".5"}},
        {"DELETE FROM T WHERE A = -9223372036854775808 OR A = 9223372036854775807",
         "DELETE FROM T WHERE A = -9223372036854775808 OR A = ?", {"9223372036854775807"}},
        // Result columns of every query and ORDER BY numbers stay; a subquery's ORDER BY ends with it.
        {"Select 0 window, (SELECT 5) Sub, 'a' From (SELECT 1, A FROM U) Where A = 'b' And B IN "
         "(SELECT C FROM U ORDER BY 1 LIMIT 2) ORDER BY 2, 3",
         "Select 0 window, (SELECT 5) Sub, 'a' From (SELECT 1, A FROM U) Where A = ? And B IN "
         "(SELECT C FROM U ORDER BY 1 LIMIT 2) ORDER BY 2, 3",
         {"b"}},
        {"SELECT A IS DISTINCT FROM 1, 2 FROM T WHERE B = 3", "SELECT A IS DISTINCT FROM 1, 2 FROM T WHERE B = ?",
         {"3"}},
        {"INSERT INTO T (A, B) VALUES (1, 'x') RETURNING A, 2;  ", "INSERT INTO T (A, B) VALUES (?, ?) RETURNING A, 2;  ",
         {"1", "x"}},
    };
    for (const Case& c : cases) {
        const auto shaped = shape_of(c.sql);
        ASSERT_TRUE(shaped) << c.sql;
        EXPECT_EQ(shaped->text, c.shape);
        std::vector<std::string> values;
        for (const Literal& value : shaped->values)
            values.push_back(value.text);
        EXPECT_EQ(values, c.values) << c.sql;
    }
    EXPECT_EQ(shape_of("UPDATE T SET A = 1")->values.at(0).kind, Literal::Kind::Integer);
    EXPECT_EQ(shape_of("UPDATE T SET A = 1.0")->values.at(0).kind, Literal::Kind::Real);
    // Other statements, texts with parameters of their own, scripts, no values.
    for (const char* sql : {"CREATE TABLE T (A INTEGER DEFAULT 1)", "EXEC SP 1", "SELECT A FROM T WHERE A = ?",
                            "SELECT A FROM T WHERE A = :a", "DELETE FROM T WHERE A = 1; DELETE FROM U",
                            "SELECT 1, 'x'", "SELECT A FROM T WHERE B = C"})
        EXPECT_FALSE(shape_of(sql)) << sql;
}

// Statements made from a small grammar: templates whose holes take an
// expression (#), a literal (~) or a column (^), each a pick among
// alternatives, with a comment now and then in place of a blank. Seeded, so
// every run makes the same corpus.
class StatementGrammar {
public:
    explicit StatementGrammar(uint32_t seed) : random_(seed) {}

    std::string statement() {
        static constexpr const char* kStatements[] = {
            "SELECT #, # AS window, ~, ^ FROM T WHERE #",
            "SELECT * FROM (SELECT #, ~, # AS a FROM T WHERE #) AS q WHERE q.a IS NOT #",
            "SELECT ^ FROM T WHERE # ORDER BY ~, ^ LIMIT ~ OFFSET ~",
            "SELECT ^, count(*) FROM T WHERE # GROUP BY ~ HAVING count(*) > ~ ORDER BY 2 DESC, 1",
            "SELECT # FROM T WHERE # UNION ALL SELECT K FROM U WHERE # ORDER BY 1",
            "SELECT ^ FROM T WHERE ^ IN (SELECT K FROM U WHERE # ORDER BY ~ LIMIT ~) AND #",
            "SELECT count(*) AS Contador FROM T WHERE # AND #",
            "SELECT DISTINCT ^ IS DISTINCT FROM ~, # FROM T WHERE # ORDER BY # LIMIT ~",
            "SELECT group_concat(^, ~) FROM T WHERE # GROUP BY # HAVING #",
            "SELECT sum(^) OVER (ORDER BY ^ ROWS ~ PRECEDING), ^ FROM T WHERE # ORDER BY I",
            "SELECT T.^, U.S FROM T JOIN U ON U.K = T.N AND U.S <> # WHERE # ORDER BY T.I, U.K",
            "SELECT * FROM T WHERE I = (SELECT ~ + #) OR #",
            "UPDATE T SET N = #, S = # WHERE #",
            "UPDATE T SET R = # WHERE # RETURNING ^, ~, #",
            "DELETE FROM T WHERE # AND ^ <> #",
            "INSERT INTO U (K, S) VALUES (#, #), (~, ~)",
            "INSERT INTO U SELECT #, # FROM T WHERE # ORDER BY ~",
            "INSERT INTO T (N, R, S, D) VALUES (#, #, #, #) RETURNING *",
            "SELECT x.* FROM (VALUES (~, #), (#, ~)) AS x WHERE x.column1 <> #",
            "SELECT q.a FROM (SELECT ~ AS a UNION SELECT #) q ORDER BY 1",
            "SELECT q.^ FROM T AS 'q' WHERE q.I > # AND S LIKE # ESCAPE ~",
        };
        return expand(pick(kStatements), 0);
    }

private:
    template <std::size_t N>
    const char* pick(const char* const (&choices)[N]) { return choices[random_() % N]; }
    bool chance(unsigned percent) { return random_() % 100 < percent; }

    std::string literal() {
        static constexpr const char* kLiterals[] = {
            "0", "1", "7", "007", "2147483648", "9007199254740993", "9223372036854775807", "9223372036854775808",
            "2.5", ".5", "5.", "0.1", "1e3", "1E-3", "0.0", "0e5", "1e999", "1e-999", "2462869.5", "2462869.1041666665",
            "0.30000000000000004", "123456789012345678901.5", "4.9e-324", "1.7976931348623157e308", "9007199254740993.0",
            "''", "'a'", "'A'", "'O''B'", "'5'", "'2.5'", "' 7 '", "'--'", "'/*'", "'%a%'", "'\xc3\xa9'", "NULL",
            "x'00'", "0x1F"};
        static constexpr const char* kSigns[] = {"-", "- ", "+", "-(", "- -"};
        const std::string text = pick(kLiterals);
        if (!chance(20))
            return text;
        const std::string sign = pick(kSigns);
        return sign + text + (sign.ends_with('(') ? ")" : "");
    }

    std::string expression(int depth) {
        static constexpr const char* kExpressions[] = {
            "# + #", "# - #", "# * #", "# / #", "# % #", "# || #", "# = #", "# < #", "# <> #", "# AND #",
            "# OR #", "NOT #", "# IS NULL", "# IS #", "# LIKE #", "# IS DISTINCT FROM #", "(#)", "abs(#)",
            "coalesce(#, #)", "typeof(#)", "quote(#)", "length(#)", "substr(#, #, #)", "round(#, #)",
            "max(#, #)", "nullif(#, #)", "CAST(# AS INTEGER)", "CAST(# AS REAL)", "CAST(# AS TEXT)",
            "CASE WHEN # THEN # ELSE # END", "CASE # WHEN # THEN # END", "# IN (#, #, #)", "# BETWEEN # AND #",
            "(SELECT K FROM U WHERE U.S = # ORDER BY K LIMIT 1)", "EXISTS (SELECT 1 FROM U WHERE K = #)"};
        if (depth >= 3 || chance(35))
            return chance(55) ? literal() : column();
        return expand(pick(kExpressions), depth + 1);
    }

    std::string column() {
        static constexpr const char* kColumns[] = {"I", "N", "R", "S", "D", "T.N", "\"S\"", "[R]", "`N`"};
        return pick(kColumns);
    }

    std::string expand(std::string_view pattern, int depth) {
        static constexpr const char* kBlanks[] = {" /* 1 */ ", " -- 'x' 2\n", "\n\t"};
        std::string out;
        for (const char c : pattern) {
            if (c == '#')
                out += expression(depth);
            else if (c == '~')
                out += literal();
            else if (c == '^')
                out += column();
            else if (c == ' ' && chance(4))
                out += pick(kBlanks);
            else
                out += c;
        }
        return out;
    }

    std::mt19937 random_;
};

TEST(StatementShape, AnswersAsTheTextDoesOnAGeneratedCorpus) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> closer(db, sqlite3_close);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE T (I INTEGER PRIMARY KEY, N INTEGER, R REAL, S TEXT, D DATE);"
                           "CREATE TABLE U (K INTEGER, S VARCHAR(10));"
                           "CREATE INDEX U_S ON U (S);"
                           "INSERT INTO T VALUES (1, 7, 2.5, 'a', 2462869.5), (2, NULL, 0.1, '5', NULL),"
                           " (3, -1, -0.0, 'O''B', 2462870), (4, 9223372036854775807, 1e300, '', '2030-01-15'),"
                           " (5, 0, NULL, 'A', 1);"
                           "INSERT INTO U VALUES (1, 'a'), (7, '7'), (NULL, NULL), (2, '2.5');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    constexpr int kStatements = 4000;
    StatementGrammar grammar(20261206);
    int shaped = 0, differences = 0;
    for (int i = 0; i < kStatements; ++i) {
        const std::string sql = grammar.statement();
        const test::ShapeCheck check = test::check_shape(db, sql);
        shaped += check.shaped;
        if (!check.difference.empty() && ++differences <= 5)
            ADD_FAILURE() << sql << "\n" << check.difference;
    }
    EXPECT_EQ(differences, 0);
    EXPECT_GT(shaped, kStatements / 3);  // the corpus exercises the shapes, not only the refusals
}

TEST_F(EngineTest, StatementsOfOneShapeAnswerForTheirOwnValues) {
    for (int i = 1; i <= 3; ++i) {  // the second run keeps the statement, the third reuses it
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM PEDIDO WHERE PEDIDO_ID <> " + std::to_string(i)), Variant(int32_t{2}));
        EXPECT_EQ(scalar("SELECT 'n' || NUM_PEDIDO_EXTERNO FROM PEDIDO WHERE PEDIDO_ID = " + std::to_string(i)),
                  scalar("SELECT 'n' || NUM_PEDIDO_EXTERNO FROM PEDIDO WHERE PEDIDO_ID = '" + std::to_string(i) + "'"));
    }
    // A text with a parameter of its own runs it unbound, whatever ran before on its statement.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM PEDIDO WHERE PEDIDO_ID <> ?"), Variant(int32_t{0}));
    // Names of result columns are their texts, literals included.
    EXPECT_EQ(execute("SELECT PEDIDO_ID + 1, 'x' FROM PEDIDO WHERE PEDIDO_ID = 1").columns,
              (std::vector<std::string>{"PEDIDO_ID + 1", "'x'"}));
    // A value where the engine wants a constant: the text runs as sent.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM PEDIDO WHERE likelihood(PEDIDO_ID = 1, 0.5)"), Variant(int32_t{1}));
    EXPECT_EQ(error_of([&] { execute("SELECT X FROM PEDIDO WHERE PEDIDO_ID = 1"); }), "no such column: X");
    // An unclosed text, a doubled quote in it or not, is the engine's own error.
    for (const std::string text : {"'PRG-''2 ", "'PRG-2 "})
        EXPECT_EQ(error_of([&] { execute("SELECT COUNT(*) FROM PEDIDO WHERE NUM_PEDIDO_EXTERNO = " + text); }),
                  "unrecognized token: \"" + text + "\"");
}

TEST_F(EngineTest, DroppedTableGivesACleanError) {
    const std::string select = "SELECT COD_PECA FROM PECA WHERE PECA_ID = 301";
    EXPECT_EQ(scalar(select), Variant("PC-1001"));  // now prepared and kept
    db.exec("DROP TABLE PECA");                        // by another connection
    EXPECT_EQ(error_of([&] { execute(select); }), "no such table: PECA");
    EXPECT_NE(error_of([&] { execute("EXEC SP_QBX_CON_PEDIDO_ITEM_OLT1   1"); }).find("no such table"),
              std::string::npos);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM PEDIDO"), Variant(int32_t{3}));  // the session still works
}

// ---- stored procedures -----------------------------------------------------------

class ProcedureTest : public EngineTest {
protected:
    void SetUp() override {
        execute("CREATE TABLE NOTA (ID INTEGER PRIMARY KEY, TEXTO TEXT NOT NULL, QUANDO DATE, VALOR REAL)");
        execute(
            "-- keeps one note and answers what was stored\n"
            "CREATE PROCEDURE SP_NOTA (@ID INTEGER, @TEXTO VARCHAR(40), @QUANDO DATE, @VALOR REAL)\n"
            "AS\n"
            "INSERT INTO NOTA (ID, TEXTO, QUANDO, VALOR) VALUES (@ID, @texto, @QUANDO, @VALOR);\n"
            "SELECT ID, TEXTO, QUANDO, VALOR, typeof(VALOR) AS KIND FROM NOTA WHERE ID = @ID;\n"
            "UPDATE NOTA SET VALOR = VALOR WHERE ID = @ID;\n");
    }
    std::vector<Variant> call(const std::string& sql) { return execute(sql).rows.at(0); }
};

TEST_F(ProcedureTest, LiteralArgumentsAreBoundByDeclaredType) {
    const auto row = call("EXEC SP_NOTA   1, 'O''Brien, ltda', '2030-01-15T14:30:00', 2");
    EXPECT_EQ(row[0], Variant(int32_t{1}));
    EXPECT_EQ(row[1], Variant("O'Brien, ltda"));
    EXPECT_EQ(row[2], Variant(automation::make_date(2030, 1, 15, 14, 30)));
    EXPECT_EQ(row[3], Variant(2.0));
    EXPECT_EQ(row[4], Variant("real"));

    const auto nulls = call("exec sp_nota 2,'', NULL,NULL");
    EXPECT_EQ(nulls[1], Variant(""));
    EXPECT_EQ(nulls[2], Variant::null());
    EXPECT_EQ(nulls[3], Variant::null());

    EXPECT_EQ(call("Execute SP_NOTA '3', 'x', '2030-01-15', -1.5e1")[3], Variant(-15.0));  // a numeric text counts
    EXPECT_EQ(call("EXEC SP_NOTA 4e0, 'x', NULL, 1")[0], Variant(int32_t{4}));    // a whole real is an integer
    EXPECT_EQ(call("EXEC SP_NOTA 6.5, 'x', NULL, 1")[0], Variant(int32_t{6}));    // halves go to the even one
    // A number past 32 bits is refused before anything runs.
    EXPECT_NE(error_of([&] { execute("EXEC SP_NOTA 1e300, 'x', NULL, 1"); }).find("@ID expects a whole number"),
              std::string::npos);

    // The definition is in the database: a session that has not seen it runs it.
    auto other = db.connect();
    EXPECT_EQ(other->session().execute("EXEC SP_NOTA 7, 'x', NULL, 1").rows.at(0).at(0), Variant(int32_t{7}));
}

TEST_F(ProcedureTest, RefusalsSayWhatIsWrong) {
    const std::pair<const char*, const char*> refusals[] = {  // the text, and what its message names
        {"EXEC SP_NOTA   1, 'a', NULL", "@VALOR"},
        {"EXEC SP_NOTA   1, 'a', NULL, 1, 2", "too many"},
        {"EXEC SP_NOTA   1, 'a', '15/01/2030', 1", "@QUANDO"},
        {"EXEC SP_NOTA   'um', 'a', NULL, 1", "@ID"},
        {"EXEC SP_NOTA   1, 'a, NULL, 1", "quotation"},
        {"EXEC SP_NOTA   1, a, NULL, 1", "near 'a, NULL, 1'"},
        {"EXEC SP_NENHUM   1", "Could not find stored procedure 'SP_NENHUM'."},
        {"CREATE PROCEDURE SP_NOTA (@A INTEGER) AS SELECT @A", "already"},
        {"CREATE PROCEDURE SP_X (@A INTEGER) AS SELECT @B", "@B"},
        {"CREATE PROCEDURE SP_Y (@A INTEGER) AS SELECT * FROM NOWHERE", "NOWHERE"},
    };
    for (const auto& [sql, named] : refusals)
        EXPECT_NE(error_of([&] { execute(sql); }).find(named), std::string::npos) << sql;
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM NOTA"), Variant(int32_t{0}));
}

TEST_F(ProcedureTest, FailingBodyUndoesItsEarlierStatements) {
    // TEXTO is NOT NULL: the INSERT fails after nothing, the second call after
    // its first statement has run in an explicit transaction of the caller.
    EXPECT_NE(error_of([&] { execute("EXEC SP_NOTA 1, NULL, NULL, 1"); }), "");
    execute("CREATE PROCEDURE SP_DUAS (@ID INTEGER) AS "
            "INSERT INTO NOTA (ID, TEXTO) VALUES (@ID, 'first');\n"
            "INSERT INTO NOTA (ID, TEXTO) VALUES (@ID + 1, NULL);");
    EXPECT_NE(error_of([&] { execute("EXEC SP_DUAS 10"); }), "");
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM NOTA"), Variant(int32_t{0}));

    execute("BEGIN");
    execute("INSERT INTO NOTA (ID, TEXTO) VALUES (20, 'kept')");
    EXPECT_NE(error_of([&] { execute("EXEC SP_DUAS 30"); }), "");
    execute("COMMIT");
    EXPECT_EQ(db.scalar("SELECT group_concat(ID) FROM NOTA"), Variant("20"));

    // The procedure works again afterwards: nothing was left half done.
    EXPECT_EQ(call("EXEC SP_NOTA 5, 'ok', NULL, 0")[1], Variant("ok"));
}

// ---- several connections -----------------------------------------------------------

TEST(SharedMemoryDatabase, IsSharedByConnectionsOnSeveralThreads) {
    const std::string text = "Provider=SQLite;Data Source=file:zolt-engine-test?mode=memory&cache=shared";
    ado::Connection keeper(text);
    keeper.session().execute("CREATE TABLE M (X INTEGER); INSERT INTO M VALUES (42);");
    // Its connections lock tables rather than a file; they wait for each
    // other as connections to a file do.
    constexpr int kThreads = 4;
    constexpr int kWrites = 1000;
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            try {
                ado::Connection own(text);
                for (int i = 0; i < kWrites; ++i) {
                    own.session().execute("INSERT INTO M VALUES (1)");
                    own.session().execute("SELECT COUNT(*) FROM M");
                }
            } catch (const AutomationError& e) {
                failures[t] = e.description();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<std::string>(kThreads));
    EXPECT_EQ(keeper.session().execute("SELECT SUM(X) FROM M").rows.at(0).at(0),
              Variant(int32_t{42 + kThreads * kWrites}));
}

// ---- opening and creating databases -----------------------------------------------

TEST(OpeningDatabase, MissingFileIsAnErrorAndIsNotCreated) {
    const auto path = std::filesystem::temp_directory_path() / "zolt-engine-test-missing.db";
    std::filesystem::remove(path);
    for (const std::string& source : {path.string(), "file:" + path.string()}) {
        EXPECT_NE(error_of([&] { ado::Connection("Provider=SQLite;Data Source=" + source); }).find("Cannot open"),
                  std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    EXPECT_NE(error_of([] { ado::Connection("Provider=SQLite"); }), "");
}

TEST(CreatingDatabase, KeyCountersStartAtTheHighestKey) {
    TempDatabase empty(false);
    EXPECT_EQ(empty.rows("SELECT NOME_COLUNA, ULTIMO_VALOR FROM Infra_Chave ORDER BY 1"),
              (std::vector<std::vector<Variant>>{{Variant("PEDIDO_ID"), Variant(int32_t{0})},
                                                 {Variant("PEDIDO_ITEM_ID"), Variant(int32_t{0})}}));
    EXPECT_EQ(empty.scalar("SELECT COUNT(*) FROM PEDIDO"), Variant(int32_t{0}));

    TempDatabase sample;
    EXPECT_EQ(sample.rows("SELECT ULTIMO_VALOR FROM Infra_Chave ORDER BY NOME_COLUNA"),
              (std::vector<std::vector<Variant>>{{Variant(int32_t{3})}, {Variant(int32_t{5})}}));
    EXPECT_GT(sample.scalar("SELECT COUNT(*) FROM Infra_Procedimento").i4(), 0);
}

TEST(CreatingDatabase, RefusesAnExistingFileUnlessOverwriting) {
    TempDatabase db;
    db.exec("DELETE FROM PEDIDO");
    try {
        db::create_database(db.path(), true);
        FAIL() << "an existing database was replaced";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 58);
    }
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM PEDIDO"), Variant(int32_t{0}));

    db::create_database(db.path(), true, true);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM PEDIDO"), Variant(int32_t{3}));
}

TEST(CreatingDatabase, PathWithASemicolonStaysOneConnectionValue) {
    const auto folder = std::filesystem::temp_directory_path() / "zolt-engine-test;folder";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    const std::string path = (folder / "x.db").string();
    db::create_database(path, false);
    ado::Connection connection(db::connection_string(path));
    EXPECT_EQ(connection.session().execute("SELECT COUNT(*) FROM PEDIDO").rows.at(0).at(0), Variant(int32_t{0}));
    connection.close();
    std::filesystem::remove_all(folder);
}

TEST(CreatingDatabase, ReplacedDatabaseKeepsItsWriteAheadLog) {
    // Connections to the old file may still be held by the process; closing
    // them must not remove the new database's files of the same names.
    TempDatabase db;
    db.exec("UPDATE PEDIDO SET EMPRESA_ID = 2");
    db::create_database(db.path(), true, true);
    auto writer = db.connect();
    writer->session().execute("INSERT INTO PEDIDO (PEDIDO_ID) VALUES (50)");
    auto reader = db.connect();
    EXPECT_TRUE(std::filesystem::exists(db.path() + "-wal"));
    EXPECT_EQ(reader->session().execute("SELECT COUNT(*) FROM PEDIDO WHERE PEDIDO_ID = 50 OR EMPRESA_ID = 2")
                  .rows.at(0).at(0),
              Variant(int32_t{1}));
}

}  // namespace
}  // namespace zolt::sqlite
