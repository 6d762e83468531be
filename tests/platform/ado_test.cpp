// The data layer: connection strings, providers, connections, recordsets,
// fields and the statement trace.
#include <gtest/gtest.h>

#include "platform/ado/ado.h"
#include "tests/support/helpers.h"

namespace zolt::ado {
namespace {

using test::error_number;
using test::TempDatabase;

Variant object_of(std::shared_ptr<automation::Object> object) {
    return Variant(automation::ObjectPtr(std::move(object)));
}

TEST(ConnectionStringTest, KeysAreCaseInsensitiveAndValuesTrimmedOrQuoted) {
    const ConnectionString text(" Provider = SQLite ;DATA SOURCE=/tmp/a b.db;Extra=\"x;y\";Provider=Other;Flag");
    EXPECT_EQ(text.get("data source"), "/tmp/a b.db");
    EXPECT_EQ(text.get("extra"), "x;y");
    EXPECT_EQ(text.get("provider"), "Other");  // the last one wins
    EXPECT_EQ(text.get("Missing"), "");
    EXPECT_EQ(text.get("Flag"), "");
}

// The embedded provider when none is named; an unknown one is refused.
TEST(ConnectionTest, ProvidersOpenAndClose) {
    TempDatabase db(false);
    EXPECT_EQ(error_number([] { Connection("Provider=Nowhere;Data Source=x"); }), 3706);
    EXPECT_EQ(Connection("Data Source=" + db.path()).session().execute("SELECT 7").rows[0][0], Variant(int32_t{7}));

    auto connection = std::make_shared<Connection>();
    EXPECT_EQ(error_number([&] { connection->session(); }), err::kObjectClosed);
    connection->open(db.connection_string());
    EXPECT_EQ(connection->state(), 1);
    EXPECT_EQ(automation::to_text(object_of(connection)), db.connection_string());
    EXPECT_EQ(error_number([&] { connection->open(db.connection_string()); }), 3705);
    connection->close();
    EXPECT_EQ(connection->state(), 0);
    EXPECT_EQ(error_number([&] { connection->close(); }), err::kObjectClosed);
}

class RecordsetTest : public ::testing::Test {
protected:
    TempDatabase db;
    std::shared_ptr<Connection> connection = db.connect();
    Variant caller = object_of(connection);
    Recordset recordset;
};

TEST_F(RecordsetTest, WalksRowsAndRefusesReadsPastTheEnd) {
    recordset.set_cursor_location(kAdUseClient);
    recordset.open(Variant("SELECT PECA_ID, Cod_Peca FROM PECA WHERE PECA_ID <= 303 ORDER BY PECA_ID"), caller, 3, 1);
    EXPECT_EQ(recordset.record_count(), 3);
    const auto code = recordset.field("COD_PECA");  // any letter case
    EXPECT_EQ(code->name(), "COD_PECA");             // as the table declares it
    EXPECT_EQ(code->value(), Variant("PC-1001"));
    recordset.move_next();
    EXPECT_EQ(code->value(), Variant("PC-1002"));  // a field follows the current row
    recordset.move_last();
    recordset.move_next();
    EXPECT_TRUE(recordset.eof());
    EXPECT_EQ(error_number([&] { code->value(); }), err::kNoCurrentRecord);
    EXPECT_EQ(error_number([&] { recordset.move_next(); }), err::kNoCurrentRecord);
    recordset.move_first();
    EXPECT_EQ(automation::to_text(recordset.field_object("cod_peca")), "PC-1001");
    EXPECT_EQ(error_number([&] { recordset.field("Nope"); }), err::kItemNotFound);

    recordset.close();
    EXPECT_EQ(error_number([&] { code->value(); }), err::kObjectClosed);
    EXPECT_EQ(error_number([&] { recordset.close(); }), err::kObjectClosed);
    recordset.open(Variant("SELECT 1 AS again"), caller);  // a closed recordset opens again
    EXPECT_EQ(error_number([&] { recordset.open(Variant("SELECT 1"), caller); }), 3705);
}

// An empty result is at both ends; a statement without rows leaves the recordset closed.
TEST_F(RecordsetTest, EmptyResultsAndStatementsWithoutRows) {
    recordset.open(Variant("SELECT PECA_ID FROM PECA WHERE PECA_ID = -1"), caller);
    EXPECT_TRUE(recordset.bof() && recordset.eof());
    EXPECT_EQ(error_number([&] { recordset.move_first(); }), err::kNoCurrentRecord);
    recordset.close();
    recordset.open(Variant(" UPDATE PECA SET DESCRICAO = 'x' WHERE PECA_ID = 301 "), caller);
    EXPECT_EQ(recordset.state(), 0);
    EXPECT_EQ(db.scalar("SELECT DESCRICAO FROM PECA WHERE PECA_ID = 301"), Variant("x"));
}

// A date column holding a number no Date can hold fails the read.
TEST_F(RecordsetTest, DatesBeyondADateOverflow) {
    db.exec("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = 1e300 WHERE PEDIDO_ITEM_ID = 1");
    db.exec("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = -1e300 * 1e300 WHERE PEDIDO_ITEM_ID = 3");
    for (const std::string id : {"1", "3"})
        EXPECT_EQ(error_number([&] {
                      Recordset().open(Variant("SELECT DATA_EMBARQUE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = " + id),
                                       caller);
                  }),
                  automation::err::kOverflow);
}

// Some other object, even one whose value is a connection string.
class NotAConnection : public automation::Object {
public:
    Variant default_value() const override { return Variant("Provider=SQLite;Data Source=x"); }
    std::string kind() const override { return "Other"; }
};

TEST_F(RecordsetTest, RefusesAnythingButAConnectionOrItsText) {
    const Variant wrong[] = {Variant(), Variant::null(), Variant(int32_t{5}), Variant(automation::Array{0, {caller}}),
                             object_of(std::make_shared<NotAConnection>())};
    for (const Variant& active : wrong)
        EXPECT_EQ(error_number([&] { Recordset().open(Variant("SELECT 1"), active); }), 3001);
    EXPECT_EQ(error_number([&] { recordset.open(Variant(), caller); }), 3001);  // no statement text
    EXPECT_EQ(test::error_text([&] { recordset.open(Variant("SELECT * FROM NO_SUCH_TABLE"), caller); }),
              std::to_string(err::kProviderError) + "|no such table: NO_SUCH_TABLE|Provider");
    EXPECT_EQ(error_number([&] {
                  recordset.open(Variant("SELECT 1"), Variant("Provider=SQLite;Data Source=" + db.path() + ".missing"));
              }),
              err::kProviderError);
    connection->close();
    EXPECT_EQ(error_number([&] { recordset.open(Variant("SELECT 1"), caller); }), 3709);
}

// The trace, when on, records every open of this thread in order, failed ones
// too, with whether it ran on a separate connection.
TEST_F(RecordsetTest, TraceRecordsEveryOpenOfItsThread) {
    recordset.open(Variant("SELECT 'before' "), caller);  // the trace is off
    recordset.close();
    trace::start();
    recordset.open(Variant("SELECT 1 "), caller);
    Recordset().open(Variant("UPDATE PECA SET DESCRICAO = DESCRICAO "), Variant(db.connection_string()));
    EXPECT_NE(error_number([&] { Recordset().open(Variant("SELEC oops"), caller); }), 0);
    test::on_new_thread([&] { Recordset().open(Variant("SELECT 'other thread'"), Variant(db.connection_string())); });
    EXPECT_EQ(trace::stop(), (std::vector<TraceEntry>{{"SELECT 1 ", false},
                                                      {"UPDATE PECA SET DESCRICAO = DESCRICAO ", true},
                                                      {"SELEC oops", false}}));
    EXPECT_FALSE(trace::active());
}

}  // namespace
}  // namespace zolt::ado
