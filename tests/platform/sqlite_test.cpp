// The embedded database engine: date literals, result typing, kept
// statements and their shapes, stored procedures, a database shared by
// several connections, and creating databases.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

#include "db/database.h"
#include "platform/ado/ado.h"
#include "tests/support/helpers.h"
#include "tests/support/shape_check.h"

namespace zolt::sqlite {
namespace {

using automation::Variant;
using automation::VarType;
using test::TempDatabase;

class EngineTest : public ::testing::Test {
protected:
    TempDatabase db;
    std::shared_ptr<ado::Connection> connection = db.connect();

    ado::ResultSet execute(const std::string& sql) { return connection->session().execute(sql); }
    Variant scalar(const std::string& sql) { return execute(sql).at(0, 0); }
    // The error the statement raises as "number|description|source"; "" when none.
    std::string error_of(const std::string& sql) { return test::error_text([&] { execute(sql); }); }
};

// Dates come back as Dates, from a column or a view of one; a date literal is
// the very number the engine stores for the instant, in any letter case, and
// "+ 1" adds a whole day.
TEST_F(EngineTest, LiteralsAndResultTypes) {
    execute(
        "CREATE TABLE T (D DATE, N INTEGER); CREATE VIEW V AS SELECT D AS Shipped FROM T;"
        "INSERT INTO T VALUES ({ TS '2030-01-15 10:00:00' }, 5000000000)");
    const Variant shipped(automation::make_date(2030, 1, 15, 10));
    EXPECT_EQ(execute("SELECT D, (SELECT Shipped FROM V), N, 7, 2.5, 'txt', NULL FROM T").row(0),
              (std::vector<Variant>{shipped, shipped, Variant(int64_t{5000000000}), Variant(int32_t{7}),
                                    Variant(2.5), Variant("txt"), Variant::null()}));
    EXPECT_EQ(scalar("SELECT D + 0 FROM T").type(), VarType::R8);  // an expression has no declared type
    EXPECT_EQ(scalar("SELECT {d '2030-01-15'} + 1 - {ts '2030-01-16 00:00:00'}"), Variant(0.0));
    EXPECT_NE(error_of("SELECT {ts '2030-02-30 00:00:00'}"), "");
}

// A kept statement whose table another connection dropped fails cleanly, and
// the session goes on working. What cannot be shaped runs as sent: a script
// (which answers its last result), a text of comments, an unclosed text.
TEST_F(EngineTest, KeptAndUnshapedStatements) {
    const std::string select = "SELECT COD_PECA FROM PECA WHERE PECA_ID = 301";
    EXPECT_EQ(scalar(select), Variant("PC-1001"));  // now prepared and kept
    db.exec("DROP TABLE PECA");
    EXPECT_NE(error_of(select).find("|no such table: PECA|"), std::string::npos);
    EXPECT_NE(error_of("EXEC SP_QBX_CON_PEDIDO_ITEM_OLT1   1").find("no such table"), std::string::npos);
    EXPECT_EQ(scalar("CREATE TABLE S (X INTEGER DEFAULT 1); INSERT INTO S DEFAULT VALUES; SELECT X FROM S; "
                     "UPDATE S SET X = 2;"),
              Variant(int32_t{1}));
    EXPECT_FALSE(execute("  -- nothing but a comment\n").has_result);
    for (const std::string text : {"'PRG-''2 ", "'PRG-2 "})
        EXPECT_NE(error_of("SELECT COUNT(*) FROM PEDIDO WHERE NUM_PEDIDO_EXTERNO = " + text)
                      .find("|unrecognized token: \"" + text + "\"|"),
                  std::string::npos);
}

// Statements made from a small grammar: templates whose holes take an
// expression (#), a literal (~, now and then with a sign; @ is one without)
// or a column (^), each a pick among alternatives, with a comment now and
// then in place of a blank. Seeded, so every run makes the same corpus.
class StatementGrammar {
public:
    explicit StatementGrammar(uint32_t seed) : random_(seed) {}
    std::string statement() { return expand(pick(kStatements), 0); }

private:
    static constexpr const char* kStatements[] = {
        "SELECT #, # AS window, ~, ^ FROM T WHERE #",
        "SELECT * FROM (SELECT #, ~, # AS a FROM T WHERE #) AS q WHERE q.a IS NOT #",
        "SELECT ^ FROM T WHERE # ORDER BY ~, ^ LIMIT ~ OFFSET ~",
        "SELECT ^, count(*) FROM T WHERE # GROUP BY ~ HAVING count(*) > ~ ORDER BY 2 DESC, 1",
        "SELECT # FROM T WHERE # UNION ALL SELECT K FROM U WHERE # ORDER BY 1",
        "SELECT ^ FROM T WHERE ^ IN (SELECT K FROM U WHERE # ORDER BY ~ LIMIT ~) AND #",
        "SELECT count(*) AS Contador FROM T WHERE # AND #",
        "SELECT # Retorno, # Msg, ~ \"Pedido_ID\", # AS b FROM T WHERE # ORDER BY Retorno",
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
    static constexpr const char* kExpressions[] = {
        "# + #", "# - #", "# * #", "# / #", "# % #", "# || #", "# = #", "# < #", "# <> #", "# AND #",
        "# OR #", "NOT #", "# IS NULL", "# IS #", "# LIKE #", "# IS DISTINCT FROM #", "(#)", "abs(#)",
        "coalesce(#, #)", "typeof(#)", "quote(#)", "length(#)", "substr(#, #, #)", "round(#, #)", "max(#, #)",
        "nullif(#, #)", "CAST(# AS INTEGER)", "CAST(# AS REAL)", "CAST(# AS TEXT)",
        "CASE WHEN # THEN # ELSE # END", "CASE # WHEN # THEN # END", "# IN (#, #, #)", "# BETWEEN # AND #",
        "(SELECT K FROM U WHERE U.S = # ORDER BY K LIMIT 1)", "EXISTS (SELECT 1 FROM U WHERE K = #)",
        "likelihood(#, 0.5)"};
    static constexpr const char* kLiterals[] = {
        "0", "1", "7", "007", "2147483648", "9007199254740993", "9223372036854775807", "9223372036854775808",
        "2.5", ".5", "5.", "0.1", "1e3", "1E-3", "0.0", "0e5", "1e999", "1e-999", "2462869.5",
        "2462869.1041666665", "0.30000000000000004", "123456789012345678901.5", "4.9e-324",
        "1.7976931348623157e308", "9007199254740993.0", "''", "'a'", "'A'", "'O''B'", "'5'", "'2.5'", "' 7 '",
        "'--'", "'/*'", "'%a%'", "'\xc3\xa9'", "NULL", "x'00'", "0x1F", "?"};
    static constexpr const char* kSigns[] = {"-@", "- @", "+@", "-(@)", "- -@"};
    static constexpr const char* kColumns[] = {"I", "N", "R", "S", "D", "T.N", "\"S\"", "[R]", "`N`"};
    static constexpr const char* kBlanks[] = {" /* 1 */ ", " -- 'x' 2\n", "\n\t"};

    template <std::size_t N>
    std::string pick(const char* const (&choices)[N]) { return choices[random_() % N]; }
    bool chance(unsigned percent) { return random_() % 100 < percent; }

    // Past the third level an expression is a literal or a column.
    std::string expand(std::string_view pattern, int depth) {
        std::string out;
        for (const char c : pattern) {
            if (c == '#' && (depth >= 3 || chance(35)))
                out += expand(chance(55) ? "~" : "^", depth);
            else if (c == '#')
                out += expand(pick(kExpressions), depth + 1);
            else if (c == '~')
                out += expand(chance(20) ? pick(kSigns) : "@", depth);
            else
                out += c == '@'                ? pick(kLiterals)
                       : c == '^'              ? pick(kColumns)
                       : c == ' ' && chance(4) ? pick(kBlanks)
                                               : std::string(1, c);
        }
        return out;
    }

    std::mt19937 random_;
};

TEST(StatementShape, AnswersAsTheTextDoesOnAGeneratedCorpus) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> closer(db, sqlite3_close);
    ASSERT_EQ(
        sqlite3_exec(db,
                     "CREATE TABLE T (I INTEGER PRIMARY KEY, N INTEGER, R REAL, S TEXT, D DATE);"
                     "CREATE TABLE U (K INTEGER, S VARCHAR(10)); CREATE INDEX U_S ON U (S);"
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

// A procedure binds its literal arguments by the types it declares: texts,
// dates and Nulls as the component's calls pass them, and a numeric text
// fills an integer. What it cannot bind is refused before anything runs, and
// a body that fails is undone. The definition is in the database: every
// connection runs it.
TEST_F(EngineTest, ProceduresBindByDeclaredTypeOrRefuse) {
    execute("CREATE TABLE NOTA (ID INTEGER PRIMARY KEY, TEXTO TEXT NOT NULL, QUANDO DATE, VALOR REAL)");
    execute(
        "-- keeps one note and answers what was stored\n"
        "CREATE PROCEDURE SP_NOTA (@ID INTEGER, @TEXTO VARCHAR(40), @QUANDO DATE, @VALOR REAL)\n"
        "AS\n"
        "INSERT INTO NOTA (ID, TEXTO, QUANDO, VALOR) VALUES (@ID, @texto, @QUANDO, @VALOR);\n"
        "SELECT ID, TEXTO, QUANDO, VALOR, typeof(VALOR) AS KIND FROM NOTA WHERE ID = @ID;\n"
        "UPDATE NOTA SET VALOR = VALOR WHERE ID = @ID;\n");
    execute(
        "CREATE PROCEDURE SP_DUAS (@ID INTEGER) AS INSERT INTO NOTA (ID, TEXTO) VALUES (@ID, 'first');\n"
        "INSERT INTO NOTA (ID, TEXTO) VALUES (@ID + 1, NULL);");
    const std::pair<const char*, const char*> cases[] = {
        // the call, and the row it answers or what its refusal names
        {"EXEC SP_NOTA   1, 'O''Brien, ltda', '2030-01-15T14:30:00', 2",
         "1|O'Brien, ltda|15/01/2030 14:30:00|2|real"},
        {"exec sp_nota 2,'', NULL,NULL", "2||NULL|NULL|null"},
        {"Execute SP_NOTA '3', 'x', '2030-01-15', -1.5e1", "3|x|15/01/2030|-15|real"},
        {"EXEC SP_NOTA   1, 'a', NULL", "@VALOR"},
        {"EXEC SP_NOTA   1, 'a', NULL, 1, 2", "too many"},
        {"EXEC SP_NOTA   1, 'a', '15/01/2030', 1", "@QUANDO"},
        {"EXEC SP_NOTA   'um', 'a', NULL, 1", "@ID"},
        {"EXEC SP_NOTA   1e300, 'a', NULL, 1", "@ID expects a whole number"},
        {"EXEC SP_NOTA   1, 'a, NULL, 1", "quotation"},
        {"EXEC SP_NOTA   1, a, NULL, 1", "near 'a, NULL, 1'"},
        {"EXEC SP_NENHUM   1", "Could not find stored procedure 'SP_NENHUM'."},
        {"EXEC SP_NOTA", "@ID"},  // then a call that reads like it up to a longer name
        {"EXEC SP_NOTAS 1", "Could not find stored procedure 'SP_NOTAS'."},
        {"CREATE PROCEDURE SP_NOTA (@A INTEGER) AS SELECT @A", "already"},
        {"CREATE PROCEDURE SP_X (@A INTEGER) AS SELECT @B", "@B"},
        {"CREATE PROCEDURE SP_Y (@A INTEGER) AS SELECT * FROM NOWHERE", "NOWHERE"},
        {"EXEC SP_DUAS 10", "NOT NULL"},  // after its first insertion
    };
    for (const auto& [sql, expected] : cases) {
        test::Lines rows{""};
        const std::string refusal = test::error_text([&] { rows = db.row_texts(sql); });
        EXPECT_NE((refusal + rows.at(0)).find(expected), std::string::npos) << sql << ": " << refusal;
    }
    EXPECT_EQ(db.scalar("SELECT group_concat(ID) FROM NOTA"), Variant("1,2,3"));

    // Inside the caller's transaction only the procedure's own statements are undone.
    execute("BEGIN; INSERT INTO NOTA (ID, TEXTO) VALUES (20, 'kept');");
    EXPECT_NE(error_of("EXEC SP_DUAS 30"), "");
    execute("COMMIT");
    EXPECT_EQ(db.scalar("SELECT group_concat(ID) FROM NOTA WHERE ID > 3"), Variant("20"));
}

// Its connections lock tables rather than a file; they wait for each other
// as connections to a file do.
TEST(SharedMemoryDatabase, IsSharedByConnectionsOnSeveralThreads) {
    const std::string text = "Provider=SQLite;Data Source=file:zolt-engine-test?mode=memory&cache=shared";
    ado::Connection keeper(text);
    keeper.session().execute("CREATE TABLE M (X INTEGER); INSERT INTO M VALUES (42);");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            ado::Connection own(text);
            for (int i = 0; i < 1000; ++i)
                EXPECT_NO_THROW(own.session().execute("INSERT INTO M SELECT 1; SELECT X FROM M"));
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(keeper.session().execute("SELECT SUM(X) FROM M").at(0, 0), Variant(int32_t{4042}));
}

TEST(Databases, OpenOnlyWhatExistsAndCreateWhatIsAsked) {
    const auto path = std::filesystem::temp_directory_path() / "zolt-engine-test-missing.db";
    std::filesystem::remove(path);
    for (const std::string& source : {path.string(), "file:" + path.string()}) {
        const std::string text = "Provider=SQLite;Data Source=" + source;
        EXPECT_NE(test::error_text([&] { ado::Connection{text}; }).find("Cannot open"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    EXPECT_NE(test::error_text([] { ado::Connection("Provider=SQLite"); }), "");

    // Key counters start at the highest key of their table: none yet.
    const std::string counters = "SELECT group_concat(NOME_COLUNA || ULTIMO_VALOR) FROM Infra_Chave";
    EXPECT_EQ(TempDatabase(false).scalar(counters), Variant("PEDIDO_ID0,PEDIDO_ITEM_ID0"));

    // A path with a semicolon stays one value of the connection string.
    const auto folder = std::filesystem::temp_directory_path() / "zolt-engine-test;folder";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    const std::string odd_path = (folder / "x.db").string();
    db::create_database(odd_path, false);
    EXPECT_NO_THROW(ado::Connection(db::connection_string(odd_path)).session().execute("SELECT * FROM PECA"));
    std::filesystem::remove_all(folder);
}

// Connections to the old file may still be held by the process, open or
// idle; a connection opened now opens the new file, and closing the old ones
// must not remove the new database's files of the same names.
TEST(Databases, ReplacedDatabaseKeepsItsWriteAheadLog) {
    TempDatabase db;
    const auto held = db.connect();
    db.exec("UPDATE PEDIDO SET EMPRESA_ID = 2");
    db::create_database(db.path(), true, true);
    db.connect()->session().execute("INSERT INTO PEDIDO (PEDIDO_ID) VALUES (50)");
    EXPECT_TRUE(std::filesystem::exists(db.path() + "-wal"));
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM PEDIDO WHERE PEDIDO_ID = 50 OR EMPRESA_ID = 2"),
              Variant(int32_t{1}));
}

}  // namespace
}  // namespace zolt::sqlite
