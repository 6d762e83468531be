// The data layer: connection strings, providers, connections, recordsets,
// fields and the statement trace.
#include <gtest/gtest.h>


#include "platform/ado/ado.h"
#include "tests/support/helpers.h"

namespace zolt::ado {
namespace {

using automation::AutomationError;
using test::TempDatabase;

using test::error_number;

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

// A provider that answers every statement with one row holding its text.
class EchoSession : public Session {
public:
    ResultSet execute(const std::string& sql) override {
        if (sql == "fail")
            throw AutomationError(err::kProviderError, "refused", "Echo");
        return {true, {"Text"}, {{Variant(sql)}}};
    }
};

TEST(ProviderTest, ChosenByNameInAnyCaseAndSQLiteByDefault) {
    register_provider("Echo", [](const ConnectionString&) { return std::make_unique<EchoSession>(); });
    Connection echo("provider=ECHO");
    EXPECT_EQ(echo.session().execute("hello").rows[0][0], Variant("hello"));

    EXPECT_EQ(error_number([] { Connection("Provider=Nowhere;Data Source=x"); }), 3706);

    TempDatabase db(false);
    Connection plain("Data Source=" + db.path());  // no Provider key
    EXPECT_EQ(plain.session().execute("SELECT 7 AS n").rows[0][0], Variant(int32_t{7}));
}

TEST(ConnectionTest, OpenCloseStateAndDefaultValue) {
    TempDatabase db(false);
    auto connection = std::make_shared<Connection>();
    EXPECT_EQ(connection->state(), 0);
    EXPECT_EQ(error_number([&] { connection->session(); }), err::kObjectClosed);
    EXPECT_EQ(error_number([&] { connection->close(); }), err::kObjectClosed);

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
    ASSERT_EQ(recordset.state(), 1);
    EXPECT_EQ(recordset.record_count(), 3);
    EXPECT_FALSE(recordset.bof());
    EXPECT_FALSE(recordset.eof());

    const auto code = recordset.field("COD_PECA");  // any letter case
    EXPECT_EQ(code->name(), "COD_PECA");  // as the table declares it
    EXPECT_EQ(code->value(), Variant("PC-1001"));
    recordset.move_next();
    EXPECT_EQ(code->value(), Variant("PC-1002"));  // a field follows the current row
    recordset.move_last();
    EXPECT_EQ(recordset.field("peca_id")->value(), Variant(int32_t{303}));
    recordset.move_next();
    EXPECT_TRUE(recordset.eof());
    EXPECT_EQ(error_number([&] { code->value(); }), err::kNoCurrentRecord);
    EXPECT_EQ(error_number([&] { recordset.move_next(); }), err::kNoCurrentRecord);
    recordset.move_first();
    EXPECT_EQ(automation::to_text(recordset.field_object("cod_peca")), "PC-1001");
    EXPECT_EQ(error_number([&] { recordset.field("Nope"); }), err::kItemNotFound);

    recordset.close();
    EXPECT_EQ(recordset.state(), 0);
    EXPECT_EQ(error_number([&] { code->value(); }), err::kObjectClosed);
    EXPECT_EQ(error_number([&] { recordset.eof(); }), err::kObjectClosed);
    EXPECT_EQ(error_number([&] { recordset.close(); }), err::kObjectClosed);

    recordset.open(Variant("SELECT 1 AS again"), caller);  // a closed recordset opens again
    EXPECT_EQ(recordset.state(), 1);
    EXPECT_EQ(error_number([&] { recordset.open(Variant("SELECT 1"), caller); }), 3705);
}

// An empty result is at both ends; a statement without rows leaves the recordset closed.
TEST_F(RecordsetTest, EmptyResultsAndStatementsWithoutRows) {
    recordset.open(Variant("SELECT PECA_ID FROM PECA WHERE PECA_ID = -1"), caller);
    ASSERT_EQ(recordset.state(), 1);
    EXPECT_TRUE(recordset.bof());
    EXPECT_TRUE(recordset.eof());
    EXPECT_EQ(recordset.record_count(), 0);
    EXPECT_EQ(error_number([&] { recordset.field("PECA_ID")->value(); }), err::kNoCurrentRecord);
    EXPECT_EQ(error_number([&] { recordset.move_first(); }), err::kNoCurrentRecord);
    recordset.close();

    recordset.open(Variant(" UPDATE PECA SET DESCRICAO = 'x' WHERE PECA_ID = 301 "), caller);
    EXPECT_EQ(recordset.state(), 0);
    EXPECT_EQ(error_number([&] { recordset.eof(); }), err::kObjectClosed);
    EXPECT_EQ(db.scalar("SELECT DESCRICAO FROM PECA WHERE PECA_ID = 301"), Variant("x"));
}

TEST_F(RecordsetTest, FieldsKeepTheirColumnTypes) {
    recordset.open(Variant("SELECT DATA_EMBARQUE, QTDE_PEDIDA FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 2"), caller);
    const Variant shipping = recordset.field("data_embarque")->value();
    ASSERT_EQ(shipping.type(), automation::VarType::Date);
    EXPECT_EQ(automation::to_text(shipping), "15/01/2030 14:30:00");
    EXPECT_EQ(recordset.field("QTDE_PEDIDA")->value().type(), automation::VarType::I4);
    const Variant field = recordset.field_object("Data_Embarque");
    ASSERT_TRUE(field.is_object());
    EXPECT_EQ(field.object()->kind(), "Field");
    EXPECT_EQ(automation::value_of(field), shipping);

    // A date column holding a number no Date can hold fails the read.
    db.exec("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = 1e300 WHERE PEDIDO_ITEM_ID = 1");
    db.exec("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = -1e300 * 1e300 WHERE PEDIDO_ITEM_ID = 3");
    for (const char* id : {"1", "3"}) {
        Recordset other;
        EXPECT_EQ(error_number([&] {
                      other.open(Variant(std::string("SELECT DATA_EMBARQUE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = ") + id),
                                 caller);
                  }),
                  automation::err::kOverflow);
    }
}

// Some other object, even one whose value is a connection string.
class NotAConnection : public automation::Object {
public:
    Variant default_value() const override { return Variant("Provider=SQLite;Data Source=x"); }
    std::string kind() const override { return "Other"; }
};

// The engine's refusal reaches the caller with its own words.
TEST_F(RecordsetTest, RefusesAnythingButAConnectionOrItsText) {
    const Variant wrong[] = {Variant(), Variant::null(), Variant(int32_t{5}), Variant(automation::Array{0, {caller}}),
                             object_of(std::make_shared<NotAConnection>())};
    for (const Variant& active : wrong) {
        Recordset attempt;
        EXPECT_EQ(error_number([&] { attempt.open(Variant("SELECT 1"), active); }), 3001);
        EXPECT_EQ(attempt.state(), 0);
    }
    EXPECT_EQ(error_number([&] { recordset.open(Variant(), caller); }), 3001);  // no statement text
    EXPECT_EQ(test::error_text([&] { recordset.open(Variant("SELECT * FROM NO_SUCH_TABLE"), caller); }),
              std::to_string(err::kProviderError) + "|no such table: NO_SUCH_TABLE|Provider");
    EXPECT_EQ(recordset.state(), 0);
    connection->close();
    EXPECT_EQ(error_number([&] { recordset.open(Variant("SELECT 1"), caller); }), 3709);
}

// A recordset over a separate connection keeps it until it is closed.
TEST_F(RecordsetTest, TextConnectionRunsOnASeparateConnection) {
    Recordset read;
    read.open(Variant("SELECT PEDIDO_ID FROM PEDIDO ORDER BY 1"), Variant(db.connection_string()));
    read.move_last();
    EXPECT_EQ(read.field("PEDIDO_ID")->value(), Variant(int32_t{3}));
    read.close();

    Recordset missing;
    EXPECT_EQ(error_number([&] { missing.open(Variant("SELECT 1"), Variant("Provider=SQLite;Data Source=" +
                                                                            db.path() + ".missing")); }),
              err::kProviderError);
}

// The trace, when on, records every open of this thread in order, failed ones
// too, with the connection each ran on.
TEST_F(RecordsetTest, TraceRecordsEveryOpenInOrderWithItsConnection) {
    recordset.open(Variant("SELECT 'before' "), caller);  // not traced: the trace is off
    recordset.close();

    trace::start();
    recordset.open(Variant("SELECT 1 "), caller);
    Recordset separate;
    separate.open(Variant("UPDATE PECA SET DESCRICAO = DESCRICAO "), Variant(db.connection_string()));
    Recordset failing;
    EXPECT_NE(error_number([&] { failing.open(Variant("SELEC oops"), caller); }), 0);
    test::on_new_thread([&] {
        Recordset other;
        other.open(Variant("SELECT 'other thread'"), Variant(db.connection_string()));
    });
    const std::vector<TraceEntry> expected = {
        {"SELECT 1 ", false}, {"UPDATE PECA SET DESCRICAO = DESCRICAO ", true}, {"SELEC oops", false}};
    EXPECT_EQ(trace::stop(), expected);
    EXPECT_FALSE(trace::active());
}

}  // namespace
}  // namespace zolt::ado
