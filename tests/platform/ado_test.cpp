// The data layer where the component's suites do not reach: connection
// strings, providers, the errors of connections, recordsets and fields, and
// the statement trace.
#include <gtest/gtest.h>

#include "platform/ado/ado.h"
#include "platform/ado/detail.h"
#include "tests/support/helpers.h"

namespace zolt::ado {
namespace {

using test::error_number;
using test::TempDatabase;

// Keys are read in any letter case, values trimmed or quoted, and the last
// of a key wins. The embedded provider answers when none is named; an
// unknown one is refused.
TEST(ConnectionTest, StringsProvidersOpenAndClose) {
    const ConnectionString text(
        " Provider = SQLite ;DATA SOURCE=/tmp/a b.db;Extra=\"x;y\";Provider=Other;Flag");
    EXPECT_EQ(text.get("data source"), "/tmp/a b.db");
    EXPECT_EQ(text.get("extra"), "x;y");
    EXPECT_EQ(text.get("provider"), "Other");
    EXPECT_EQ(text.get("Missing") + text.get("Flag"), "");
    TempDatabase db(false);
    EXPECT_EQ(error_number([] { Connection("Provider=Nowhere;Data Source=x"); }), 3706);
    EXPECT_EQ(Connection("Data Source=" + db.path()).session().execute("SELECT 7").at(0, 0),
              Variant(int32_t{7}));

    auto connection = std::make_shared<Connection>();
    EXPECT_EQ(error_number([&] { connection->session(); }), err::kObjectClosed);
    connection->open(db.connection_string());
    EXPECT_EQ(error_number([&] { connection->open(db.connection_string()); }), 3705);
    connection->close();
    EXPECT_EQ(error_number([&] { connection->close(); }), err::kObjectClosed);
}

// Names are equal in any case of their ASCII letters and in nothing else, at
// every length (a word of eight bytes, the overlapping last word, four-byte halves).
TEST(ConnectionTest, NamesAreEqualInEitherCaseOfTheirLetters) {
    struct Case {
        std::string_view a, b;
        bool same;
    };
    for (const auto& [a, b, same] : std::initializer_list<Case>{
             {"", "", true}, {"id", "ID", true}, {"Cliente", "CLIENTE", true},
             {"Tab_Status_ID", "TAB_STATUS_ID", true}, {"abcdefghi", "ABCDEFGHi", true},
             {"Tab_Status_ID", "Tab_Status_IE", false}, {"abcdefghi", "bbcdefghi", false}, {"a@", "A`", false},
             {"[x]", "{X}", false}, {"Pedido", "Pedido_", false}, {"ção", "ÇÃO", false}})
        EXPECT_EQ(detail::same_name(a, b), same) << a << " / " << b;
}

class RecordsetTest : public ::testing::Test {
protected:
    TempDatabase db;
    std::shared_ptr<Connection> connection = db.connect();
    Variant caller = Variant(automation::ObjectPtr(connection));
    Recordset recordset;

    // The number of the error the open of a new recordset raises; 0 when none.
    int32_t open_error(const Variant& sql, const Variant& active) {
        return error_number([&] { Recordset().open(sql, active); });
    }
};

// The component's list walks its rows and counts them; these are the reads it
// never makes: past the end, of a field not there, after closing.
TEST_F(RecordsetTest, RefusesReadsPastTheEndAndAfterClosing) {
    recordset.open(Variant("SELECT Cod_Peca FROM PECA WHERE PECA_ID <= 302 ORDER BY PECA_ID"), caller);
    const auto code = recordset.field("COD_PECA");  // any letter case
    EXPECT_EQ(code->name(), "COD_PECA");            // as the table declares it
    recordset.move_next();
    EXPECT_EQ(code->value(), Variant("PC-1002"));  // a field follows the current row
    recordset.move_next();
    EXPECT_TRUE(recordset.eof());
    EXPECT_EQ(error_number([&] { code->value(); }), err::kNoCurrentRecord);
    EXPECT_EQ(error_number([&] { recordset.move_next(); }), err::kNoCurrentRecord);
    EXPECT_EQ(error_number([&] { recordset.field("Nope"); }), err::kItemNotFound);
    recordset.close();
    EXPECT_EQ(error_number([&] { code->value(); }), err::kObjectClosed);
    EXPECT_EQ(error_number([&] { recordset.close(); }), err::kObjectClosed);
    recordset.open(Variant("SELECT 1 AS again"), caller);  // a closed recordset opens again
    EXPECT_EQ(error_number([&] { code->value(); }), err::kObjectClosed);  // its old field reads no new rows
    EXPECT_EQ(error_number([&] { recordset.open(Variant("SELECT 1"), caller); }), 3705);
}

// A date column holding a number no Date can hold fails the read.
TEST_F(RecordsetTest, DatesBeyondADateOverflow) {
    const Variant select("SELECT DATA_EMBARQUE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 1");
    for (const std::string value : {"1e300", "-1e300 * 1e300"}) {
        db.exec("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = " + value + " WHERE PEDIDO_ITEM_ID = 1");
        EXPECT_EQ(open_error(select, caller), automation::err::kOverflow) << value;
    }
}

TEST_F(RecordsetTest, RefusesAnythingButAConnectionOrItsText) {
    const Variant one("SELECT 1");
    // Neither is an array holding a connection, nor an object of another kind, whatever its value.
    for (const Variant& active :
         {Variant(), Variant::null(), Variant(int32_t{5}), Variant(automation::Array{0, {caller}}),
          test::object_holding(Variant(db.connection_string()))})
        EXPECT_EQ(open_error(one, active), 3001);
    EXPECT_EQ(open_error(Variant(), caller), 3001);  // no statement text
    EXPECT_EQ(test::error_text([&] { recordset.open(Variant("SELECT * FROM NO_SUCH_TABLE"), caller); }),
              std::to_string(err::kProviderError) + "|no such table: NO_SUCH_TABLE|Provider");
    EXPECT_EQ(open_error(one, Variant(db.connection_string() + ".missing")), err::kProviderError);
    connection->close();
    EXPECT_EQ(open_error(one, caller), 3709);
}

// The trace, when on, records every open of this thread in order, failed ones
// too, with whether it ran on a separate connection.
TEST_F(RecordsetTest, TraceRecordsEveryOpenOfItsThread) {
    trace::start();
    recordset.open(Variant("SELECT 1 "), caller);
    Recordset().open(Variant("UPDATE PECA SET DESCRICAO = DESCRICAO "), Variant(db.connection_string()));
    EXPECT_NE(error_number([&] { Recordset().open(Variant("SELEC oops"), caller); }), 0);
    test::on_new_thread(
        [&] { Recordset().open(Variant("SELECT 'other thread'"), Variant(db.connection_string())); });
    EXPECT_EQ(trace::stop(), (std::vector<TraceEntry>{{"SELECT 1 ", false},
                                                      {"UPDATE PECA SET DESCRICAO = DESCRICAO ", true},
                                                      {"SELEC oops", false}}));
    EXPECT_FALSE(trace::active());
}

}  // namespace
}  // namespace zolt::ado
