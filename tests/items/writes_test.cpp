// Writing items: insertion, update and logical deletion in both dialects,
// their database effects, and what happens when a step refuses or fails.
#include <atomic>

#include "tests/items/item_test.h"

namespace zolt::test {
namespace {

using ado::TraceEntry;

const std::string kServerDate = "Select Getdate() as Data ";
const std::string kSysdate = "Select Sysdate as Data From Infra_IDS ";
const std::string kSupplier = " Select Fornecedor_ID From Pedido  Where Pedido_ID = 1 ";
const std::string kStatusOfItem1 =
    " SELECT  PEDIDO_ITEM.DATA_EMBARQUE ,  PEDIDO_ITEM.PECA_ID ,  PEDIDO_ITEM.PEDIDO_ID ,  PEDIDO_ITEM.PEDIDO_ITEM_ID "
    ",  PEDIDO_ITEM.QTDE_PEDIDA ,  PEDIDO_ITEM.TAB_STATUS_ID   FROM  PEDIDO_ITEM   WHERE  "
    "PEDIDO_ITEM.PEDIDO_ITEM_ID =  1 ";
std::string confirmed_on(const std::string& date, const std::string& exclusion = "") {
    return " SELECT  Count(PEDIDO_ITEM.PEDIDO_ITEM_ID) As Contador  FROM  PEDIDO_ITEM , Pedido  WHERE "
           "Pedido_Item.Pedido_ID = Pedido.Pedido_ID  And Pedido_Item.Tab_Status_ID = 510  And "
           "Pedido.Fornecedor_ID = 101 And Pedido_Item.Data_Embarque >= {ts '" +
           date + "'} And Pedido_Item.Data_Embarque < {ts '" + date + "'} + 1 " + exclusion;
}

// A key generator that refuses where told and otherwise hands on to the real
// one; it counts its live instances and keeps the arguments it received.
struct KeyLog {
    std::atomic<int> live{0};
    bool refuse_key = false, refuse_record = false;
    std::vector<std::string> calls, connections;
};
KeyLog keys;

class FaultyKeyGenerator : public outside::KeyGenerator {
public:
    explicit FaultyKeyGenerator(std::shared_ptr<outside::KeyGenerator> real) : real_(std::move(real)) { ++keys.live; }
    ~FaultyKeyGenerator() override { --keys.live; }
    bool NextKey(std::string kind, int32_t user_id, int16_t one, std::string system, std::string flag,
                 Variant& connection, std::string connection_text, std::string column, std::string& message,
                 int32_t& key) override {
        keys.calls.push_back("NextKey " + kind + " " + std::to_string(user_id) + " " + std::to_string(one) + " " +
                             system + " " + flag + " " + (connection.is_empty() ? "Empty" : "?") + " " + column);
        keys.connections.push_back(connection_text);
        if (keys.refuse_key) {
            message = "Chave indisponível.";
            return false;
        }
        return real_->NextKey(kind, user_id, one, system, flag, connection, connection_text, column, message, key);
    }
    bool RecordOperation(std::string& kind, int32_t& entity, int32_t& operation, int32_t& user_id, int32_t& key,
                         int32_t& unused, std::string& message, std::string& connection_text) override {
        keys.calls.push_back("RecordOperation " + kind + " " + std::to_string(entity) + " " +
                             std::to_string(operation) + " " + std::to_string(user_id) + " " + std::to_string(key) +
                             " " + std::to_string(unused));
        keys.connections.push_back(connection_text);
        if (keys.refuse_record) {
            message = "Registro indisponível.";
            return false;
        }
        return real_->RecordOperation(kind, entity, operation, user_id, key, unused, message, connection_text);
    }

private:
    std::shared_ptr<outside::KeyGenerator> real_;
};

// A literal writer that fails on numbers and hands dates on to the real one.
class NumberlessWriter : public outside::LiteralWriter {
public:
    explicit NumberlessWriter(std::shared_ptr<outside::LiteralWriter> real) : real_(std::move(real)) {}
    Variant WriteDate(Variant value, std::string& op) override { return real_->WriteDate(value, op); }
    Variant WriteNumber(Variant, std::string&) override {
        throw automation::AutomationError(13, "Escritor falhou", "LiteralWriter");
    }
    Variant WriteText(Variant value, std::string& op) override { return real_->WriteText(value, op); }

private:
    std::shared_ptr<outside::LiteralWriter> real_;
};

template <class Fake, class Interface>
com::ClassFactoryFunction wrapping(const com::Guid& clsid) {
    return [real = com::find_class(clsid)] {
        return std::shared_ptr<com::Unknown>(std::make_shared<Fake>(std::dynamic_pointer_cast<Interface>(real())));
    };
}

class ItemWrites : public ItemTest {
protected:
    ItemWrites()
        : faulty_keys(outside::clsid::kKeyGenerator,
                      wrapping<FaultyKeyGenerator, outside::KeyGenerator>(outside::clsid::kKeyGenerator)) {
        keys.refuse_key = keys.refuse_record = false;
        keys.calls.clear();
        keys.connections.clear();
    }
    ~ItemWrites() override { EXPECT_EQ(keys.live, 0) << "a key generator was not released"; }

    int32_t items() const { return count("SELECT COUNT(*) FROM PEDIDO_ITEM"); }
    int32_t log_rows() const { return count("SELECT COUNT(*) FROM Infra_Operacao"); }
    std::vector<std::vector<Variant>> log() const {
        return db.rows("SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao ORDER BY OPERACAO_ID");
    }
    static std::vector<Variant> log_row(int operation, int user, int key) {
        return {Variant::long_(260), Variant::long_(operation), Variant::long_(user), Variant::long_(key)};
    }

    ScopedClass faulty_keys;
};

TEST_F(ItemWrites, InsertionRunsTheProcedureAfterValidation) {
    ItemCall c = new_item();
    const auto trace = traced([&] { EXPECT_EQ(insert(c, sql_server()), Variant::integer(0)); });
    const std::vector<TraceEntry> expected{
        {kServerDate, false},
        {"EXEC SP_QBX_DUP_PEDIDO_ITEM_OLT1   303, 1, NULL", false},
        {kSupplier, false},
        {confirmed_on("2030-03-10 00:00:00"), false},
        {"EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', 303, 1, 40, 1, 2", false},
    };
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(c.new_id, Variant::long_(6));
    EXPECT_EQ(c.message, Variant("as passed"));
    EXPECT_EQ(
        db.rows("SELECT PEDIDO_ID, PECA_ID, QTDE_PEDIDA, TAB_STATUS_ID FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 6"),
        (std::vector<std::vector<Variant>>{
            {Variant::long_(1), Variant::long_(303), Variant::long_(40), Variant::long_(509)}}));
    EXPECT_EQ(count("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'"), 6);
    EXPECT_EQ(log(), (std::vector<std::vector<Variant>>{log_row(1, 2, 6)}));
    EXPECT_TRUE(keys.calls.empty());
}

TEST_F(ItemWrites, InsertionOnTheInlineDialectDrawsAKeyInsertsAndRecords) {
    ItemCall c = new_item();
    const auto trace = traced([&] { EXPECT_EQ(insert(c, oracle()), Variant::integer(0)); });
    const std::vector<TraceEntry> expected{
        {kSysdate, false},
        {" SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO_ITEM  WHERE  PECA_ID =  303 AND  PEDIDO_ID =  1  "
         "And Tab_Status_ID IN ( 509 , 510 )",
         false},
        {kSupplier, false},
        {confirmed_on("2030-03-10 00:00:00"), false},
        {" INSERT  INTO PEDIDO_ITEM  ( PEDIDO_ITEM_ID ,  DATA_EMBARQUE ,  PECA_ID ,  PEDIDO_ID ,  QTDE_PEDIDA ,  "
         "TAB_STATUS_ID )  VALUES  (  6 ,   {ts '2030-03-10 00:00:00'} ,   303 ,   1 ,   40 ,   509 ) ",
         true},
        {" SELECT  6 PEDIDO_ITEM_ID , 0 RETORNO , '' MSG_RET From Infra_IDS", false},
    };
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(c.new_id, Variant::long_(6));
    EXPECT_EQ(status_of(6), 509);
    EXPECT_EQ(log(), (std::vector<std::vector<Variant>>{log_row(1, 2, 6)}));
    EXPECT_EQ(keys.calls, (std::vector<std::string>{"NextKey ORACLE 2 1 TOVREL N Empty PEDIDO_ITEM_ID",
                                                    "RecordOperation ORACLE 260 1 2 6 0"}));
    EXPECT_EQ(keys.connections, std::vector<std::string>(2, db.connection_string()));
}

TEST_F(ItemWrites, UpdateWritesTheRowBackAsNewAndRecordsIt) {
    const std::vector<TraceEntry> validation_tail{
        {kStatusOfItem1, false},
        {kSupplier, false},
        {confirmed_on("2030-03-11 00:00:00", " And PEDIDO_ITEM.PEDIDO_ITEM_ID <>  1 "), false},
    };
    const std::vector<std::pair<Variant, std::vector<TraceEntry>>> dialects{
        {sql_server(), {{"EXEC SP_QBX_ALT_PEDIDO_ITEM_OLT1   1, '2030-03-11T00:00:00', 303, 1, 45, 1, 2", false}}},
        {oracle(),
         {{" UPDATE PEDIDO_ITEM  SET  DATA_EMBARQUE =  {ts '2030-03-11 00:00:00'} ,  PECA_ID =  303 ,  PEDIDO_ID =  1 "
           ",  QTDE_PEDIDA =  45 ,  TAB_STATUS_ID =  509  WHERE PEDIDO_ITEM_ID  = 1 ",
           true},
          {"Select 0 Retorno, '' Msg_Ret, 1 Pedido_ID From Infra_IDS ", false}}},
    };
    for (const auto& [kind, write] : dialects) {
        db.exec("UPDATE PEDIDO_ITEM SET PECA_ID = 301, QTDE_PEDIDA = 100 WHERE PEDIDO_ITEM_ID = 1");
        ItemCall c = new_item();
        c.item_id = Variant::long_(1);
        c.date = day(2030, 3, 11);
        c.quantity = Variant::long_(45);
        auto trace = traced([&] { EXPECT_EQ(update(c, kind), Variant::integer(0)); });
        ASSERT_EQ(trace.size(), 2 + validation_tail.size() + write.size());
        trace.erase(trace.begin(), trace.begin() + 2);  // server date and duplicate check
        std::vector<TraceEntry> expected = validation_tail;
        expected.insert(expected.end(), write.begin(), write.end());
        EXPECT_EQ(trace, expected);
        EXPECT_EQ(db.rows("SELECT PECA_ID, QTDE_PEDIDA, TAB_STATUS_ID, DATA_EMBARQUE = julianday('2030-03-11') "
                          "FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 1"),
                  (std::vector<std::vector<Variant>>{
                      {Variant::long_(303), Variant::long_(45), Variant::long_(509), Variant::long_(1)}}));
        EXPECT_EQ(c.message, Variant("as passed"));
    }
    EXPECT_EQ(log(), (std::vector<std::vector<Variant>>{log_row(2, 2, 1), log_row(2, 2, 1)}));
    EXPECT_EQ(keys.calls, std::vector<std::string>{"RecordOperation ORACLE 260 2 2 1 0"});
    EXPECT_EQ(keys.connections, std::vector<std::string>{db.connection_string()});
}

TEST_F(ItemWrites, DeletionSetsStatusTwoEvenForConfirmedItemsAndRecordsNothing) {
    const std::vector<std::pair<Variant, std::vector<TraceEntry>>> dialects{
        {sql_server(), {{"EXEC SP_QBX_EXC_PEDIDO_ITEM_OLT1   2, 2", false}}},
        {oracle(),
         {{" UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 2  WHERE PEDIDO_ITEM_ID =  2 ", true},
          {" SELECT 0 RETORNO , '' MSG_RET From Infra_IDS", false}}},
    };
    for (const auto& [kind, expected] : dialects) {
        db.exec("UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 510 WHERE PEDIDO_ITEM_ID = 2");
        ItemCall c;
        c.item_id = Variant::long_(2);
        EXPECT_EQ(traced([&] { EXPECT_EQ(remove(c, kind), Variant::integer(0)); }), expected);
        EXPECT_EQ(status_of(2), 2);
        EXPECT_EQ(remove(c, kind), Variant::integer(0));  // a second time
        EXPECT_EQ(c.message, Variant("as passed"));
    }
    EXPECT_EQ(log_rows(), 0);
    EXPECT_TRUE(keys.calls.empty());
}

TEST_F(ItemWrites, BothDialectsLeaveTheSameRows) {
    TempDatabase other;
    Variant other_connection(automation::ObjectPtr(other.connect()));
    const Variant caller = connection;
    for (const auto& [database_connection, kind] :
         {std::pair{caller, sql_server()}, std::pair{other_connection, oracle()}}) {
        connection = database_connection;  // the calls below use `connection`
        ItemCall c = new_item();
        c.date = day(2030, 3, 10, 15, 45);  // a time of day is kept
        EXPECT_EQ(insert(c, kind), Variant::integer(0));
        c.item_id = c.new_id;
        c.quantity = Variant("41");
        EXPECT_EQ(update(c, kind), Variant::integer(0));
        ItemCall deletion;
        deletion.item_id = Variant::long_(1);
        EXPECT_EQ(remove(deletion, kind), Variant::integer(0));
    }
    connection = caller;
    EXPECT_EQ(item_rows(db), item_rows(other));
    EXPECT_EQ(count("SELECT COUNT(*) FROM PEDIDO_ITEM WHERE TAB_STATUS_ID = 509 AND QTDE_PEDIDA = 41 AND "
                    "DATA_EMBARQUE = julianday('2030-03-10 15:45:00')"),
              1);
}

TEST_F(ItemWrites, KeyGeneratorRefusals) {
    keys.refuse_key = true;
    ItemCall c = new_item();
    EXPECT_EQ(insert(c, oracle()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("Chave indisponível."));
    EXPECT_EQ(items(), 5);
    EXPECT_TRUE(c.new_id.is_empty());

    // Recording comes after the write: the row stays, the message does not change.
    keys.refuse_key = false;
    keys.refuse_record = true;
    c = new_item();
    EXPECT_EQ(insert(c, oracle()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("as passed"));
    EXPECT_EQ(status_of(6), 509);
    c.item_id = Variant::long_(6);
    c.quantity = Variant::long_(9);
    EXPECT_EQ(update(c, oracle()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("as passed"));
    EXPECT_EQ(count("SELECT QTDE_PEDIDA FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 6"), 9);
    EXPECT_EQ(log_rows(), 0);
}

TEST_F(ItemWrites, AProcedureThatRefusesLeavesTheMessageAndWritesNothing) {
    const std::string exec = "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', 303, 1, 40, 1, 2";
    const std::vector<std::vector<Variant>> refusal{
        {Variant::long_(1), Variant("Não foi possível gerar a chave PEDIDO_ITEM_ID."), Variant::long_(0)}};
    add_item(6, 2, 302, "2030-03-10", 509);  // the next key is taken
    EXPECT_EQ(db.rows(exec), refusal);
    ItemCall c = new_item();
    EXPECT_EQ(insert(c, sql_server()), Variant::integer(10));
    EXPECT_EQ(count("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'"), 5);
    db.exec("DELETE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 6");
    db.exec("DELETE FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'");
    EXPECT_EQ(db.rows(exec), refusal);
    EXPECT_EQ(insert(c, sql_server()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("as passed"));
    EXPECT_TRUE(c.new_id.is_empty());

    EXPECT_EQ(insert(c, oracle()), Variant::integer(10));  // the real key generator refuses too
    EXPECT_EQ(c.message, Variant("Não foi possível gerar a chave PEDIDO_ITEM_ID."));

    ItemCall deletion;
    deletion.item_id = Variant::long_(999);
    EXPECT_EQ(remove(deletion, sql_server()), Variant::integer(10));
    EXPECT_EQ(deletion.message, Variant("as passed"));
    EXPECT_EQ(items(), 5);
    EXPECT_EQ(log_rows(), 0);
}

TEST_F(ItemWrites, ErrorsCarryTheirTrailersForTheFirstUser) {
    db.exec("CREATE TRIGGER refuse_items BEFORE INSERT ON PEDIDO_ITEM BEGIN SELECT RAISE(ABORT, 'recusado'); END");
    ItemCall c = new_item();
    c.user = Variant::long_(1);
    EXPECT_EQ(insert(c, sql_server()), Variant::integer(10));
    std::string text = c.message.text();
    EXPECT_EQ(text.rfind(kItemUnavailable + " - TvrZOLT.gInclui_Campos_PEDIDO_ITEM. ( ", 0), 0u) << text;
    EXPECT_TRUE(
        text.ends_with(" :  No Nº 50) EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', 303, 1, 40, "
                       "1, 1"))
        << text;
    EXPECT_EQ(count("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'"), 5);

    c.message = Variant("as passed");
    EXPECT_EQ(insert(c, oracle()), Variant::integer(10));
    text = c.message.text();
    EXPECT_EQ(text.rfind(kOracleUnavailable + " - mTrataSP_QBX_INC_PEDIDO_ITEM_OLT1 (", 0), 0u) << text;
    EXPECT_TRUE(
        text.ends_with(" :  No Nº 110) INSERT  INTO PEDIDO_ITEM  ( PEDIDO_ITEM_ID ,  DATA_EMBARQUE ,  "
                       "PECA_ID ,  PEDIDO_ID ,  QTDE_PEDIDA ,  TAB_STATUS_ID )  VALUES  (  6 ,   "
                       "{ts '2030-03-10 00:00:00'} ,   303 ,   1 ,   40 ,   509 ) "))
        << text;
    EXPECT_EQ(items(), 5);
    EXPECT_EQ(log_rows(), 0);

    ItemCall deletion;
    deletion.item_id = Variant(1e12);  // no 32-bit id
    deletion.user = Variant::long_(1);
    EXPECT_EQ(remove(deletion, oracle()), Variant::integer(10));
    EXPECT_EQ(deletion.message.text(),
              kItemUnavailable + " - TvrZOLT.gExclui_Campos_PEDIDO_ITEM. ( Overflow :  No Nº 20) ");

    ScopedClass numberless(outside::clsid::kLiteralWriter,
                           wrapping<NumberlessWriter, outside::LiteralWriter>(outside::clsid::kLiteralWriter));
    on_new_thread([&] {
        deletion.item_id = Variant::long_(1);
        EXPECT_EQ(traced_texts([&] { EXPECT_EQ(remove(deletion, oracle()), Variant::integer(10)); }).size(), 0u);
        EXPECT_EQ(deletion.message.text(), kOracleUnavailable +
                                               " - mTrataSP_QBX_EXC_PEDIDO_ITEM_OLT1 (Escritor falhou "
                                               ":  No Nº 20) UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 2 ");
    });
    EXPECT_EQ(status_of(1), 509);
}

// Whatever the arguments hold, a call answers; a refusal writes nothing.
TEST_F(ItemWrites, BadArgumentsAreRefusedWithoutWriting) {
    const Variant array(automation::Array{0, {Variant::long_(1)}});
    const std::vector<Variant> bad{Variant(), Variant::null(), Variant("abc"), Variant("   "),
                                   Variant::long_(0), Variant(-5.0), array, connection};
    const std::vector<Variant> bad_dates{Variant(), Variant::null(), Variant("abc"), Variant("31/02/2030"),
                                         day(2001, 1, 1), array, Variant::long_(7)};
    using Field = Variant ItemCall::*;
    const std::vector<std::pair<Field, std::vector<Variant>>> fields{
        {&ItemCall::order, bad}, {&ItemCall::part, bad}, {&ItemCall::quantity, bad}, {&ItemCall::date, bad_dates}};
    for (const Variant& kind : {sql_server(), oracle()}) {
        for (const auto& [field, values] : fields) {
            for (const Variant& value : values) {
                ItemCall c = new_item();
                c.item_id = Variant::long_(1);
                c.*field = value;
                EXPECT_EQ(insert(c, kind), Variant::integer(10));
                EXPECT_NE(c.message, Variant("as passed"));
                c.message = Variant("as passed");
                EXPECT_EQ(update(c, kind), Variant::integer(10));
                EXPECT_NE(c.message, Variant("as passed"));
            }
        }
        for (const Variant& value : bad) {
            ItemCall c = new_item();
            c.item_id = value;
            EXPECT_EQ(update(c, kind), Variant::integer(10));
            EXPECT_EQ(remove(c, kind), Variant::integer(10));
            EXPECT_NE(c.message, Variant("as passed"));
        }
        for (int confirmed_or_deleted : {2, 4}) {  // the update is stopped before it writes
            ItemCall c = new_item();
            c.item_id = Variant::long_(confirmed_or_deleted);
            EXPECT_EQ(update(c, kind), Variant::integer(10));
        }
    }
    EXPECT_EQ(item_rows(db), item_rows(TempDatabase()));
}

TEST_F(ItemWrites, AnyUserIdOrConnectionValueAnswersWithoutCrashing) {
    const std::vector<Variant> odd{Variant(),     Variant::null(), Variant("abc"),
                                   Variant(1e12), Variant(true),   Variant(automation::Array{0, {Variant::long_(1)}})};
    const Variant caller = connection;
    for (const Variant& kind : {sql_server(), oracle(), Variant::null()}) {
        for (const Variant& value : odd) {
            ItemCall c = new_item();
            c.user = value;
            const int32_t before = items();
            const Variant result = insert(c, kind);
            EXPECT_TRUE(result == Variant::integer(0) || result == Variant::integer(10));
            if (result == Variant::integer(10)) {
                EXPECT_EQ(items(), before);
            }
            db.exec("DELETE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID > 5");

            ItemCall d = new_item();
            connection = value;
            EXPECT_EQ(insert(d, kind), Variant::integer(10));
            EXPECT_NE(d.message, Variant("as passed"));
            connection = caller;
        }
    }
    EXPECT_EQ(items(), 5);
}

}  // namespace
}  // namespace zolt::test
