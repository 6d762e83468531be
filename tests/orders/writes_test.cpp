#include "tests/orders/order_test.h"

namespace zolt::orders_test {
namespace {

using Entries = std::vector<ado::TraceEntry>;

std::string oracle_insert(const std::string& key, const std::string& number, const std::string& supplier,
                          const std::string& client) {
    return " INSERT  INTO PEDIDO  ( PEDIDO_ID ,  EMPRESA_ID ,  TAB_STATUS_ID ,  NUM_PEDIDO_EXTERNO ,  FORNECEDOR_ID , "
           " Cliente_ID )  VALUES  (  " +
           key + " ,  1 ,   1 ,   " + number + " ,   " + supplier + " ,   " + client + " ) ";
}
std::string oracle_update(const std::string& id, const std::string& number, const std::string& supplier,
                          const std::string& client) {
    return " UPDATE PEDIDO  SET  EMPRESA_ID = 1 ,  TAB_STATUS_ID =  1 ,  NUM_PEDIDO_EXTERNO =  " + number +
           " ,  FORNECEDOR_ID =  " + supplier + " ,  Cliente_ID =  " + client + "  WHERE PEDIDO_ID  = " + id + " ";
}
std::string oracle_answer(const std::string& id) {
    return "Select 0 Retorno, '' Msg_Ret, " + id + " Pedido_ID From Infra_IDS ";
}
const std::string kOracleDeleteAnswer = " SELECT 0 RETORNO , '' MSG_RET From Infra_IDS";

class OrderWrites : public OrderTest {
protected:
    Variant new_id = kUnset;
    std::string connection_text() const { return db.connection_string(); }
};

TEST_F(OrderWrites, InsertOnOracleDrawsAKeyWritesTheRowAndRecordsIt) {
    ScriptedKeys keys;
    Variant result;
    EXPECT_EQ(traced([&] {
                  result = insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle(), new_id,
                                  Variant::long_(5));
              }),
              (Entries{{new_order_count("'PRG-0100'", "103"), false},
                       {oracle_insert("4", "'PRG-0100'", "103", "202"), true},
                       {oracle_answer("4"), false}}));
    EXPECT_EQ(result, Variant::integer(0));
    EXPECT_EQ(new_id, Variant::long_(4));
    EXPECT_EQ(message, Variant("antes"));
    EXPECT_EQ(order(4), "1|1|PRG-0100|103|202");  // status 1 whatever was asked
    EXPECT_EQ(last_key(), "4");
    EXPECT_EQ(operations(), (std::vector<std::string>{"172|1|7|4"}));
    EXPECT_EQ(keys.calls, (std::vector<std::string>{"NextKey|ORACLE|7|1|TOVREL|N|" + connection_text() + "|PEDIDO_ID",
                                                    "RecordOperation|ORACLE|172|1|7|4|0|" + connection_text()}));
    EXPECT_TRUE(keys.last.expired());
}

TEST_F(OrderWrites, InsertOnSqlServerRunsTheProcedureWithoutTheClient) {
    EXPECT_EQ(traced_texts([&] {
                  EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), sql_server(),
                                   new_id, Variant::long_(5)),
                            Variant::integer(0));
              }),
              (std::vector<std::string>{"EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0100', 103, NULL",
                                        "EXEC SP_QBX_INC_PEDIDO_OLT1   5, 'PRG-0100', 103, 7"}));
    EXPECT_EQ(new_id, Variant::long_(4));
    EXPECT_EQ(order(4), "1|5|PRG-0100|103|NULL");
    EXPECT_EQ(last_key(), "4");
    EXPECT_EQ(operations(), (std::vector<std::string>{"172|1|7|4"}));
}

// On the inline path the order becomes active again, a deleted one included,
// and the update is recorded even when no row matched.
TEST_F(OrderWrites, UpdateOnOracleReactivatesAndRecords) {
    ScriptedKeys keys;
    EXPECT_EQ(traced([&] {
                  EXPECT_EQ(update(Variant::long_(3), Variant("PRG-0101"), Variant::long_(102), Variant::long_(202),
                                   oracle(), Variant::long_(5)),
                            Variant::integer(0));
              }),
              (Entries{{existing_order_count("'PRG-0101'", "102", "3"), false},
                       {oracle_update("3", "'PRG-0101'", "102", "202"), true},
                       {oracle_answer("3"), false}}));
    EXPECT_EQ(order(3), "1|1|PRG-0101|102|202");
    EXPECT_EQ(keys.calls, (std::vector<std::string>{"RecordOperation|ORACLE|172|2|7|3|0|" + connection_text()}));
    EXPECT_TRUE(keys.last.expired());

    EXPECT_EQ(update(Variant::long_(99), Variant("PRG-0199"), Variant::long_(102), Variant::long_(202), oracle()),
              Variant::integer(0));
    EXPECT_EQ(operations(), (std::vector<std::string>{"172|2|7|3", "172|2|7|99"}));
    EXPECT_EQ(message, Variant("antes"));
}

// The procedure takes the status but not the client; an unknown order is
// refused with a non-zero RETORNO, which leaves the message as it was.
TEST_F(OrderWrites, UpdateOnSqlServerRunsTheProcedure) {
    EXPECT_EQ(traced_texts([&] {
                  EXPECT_EQ(update(Variant::long_(1), Variant("PRG-0102"), Variant::long_(103), Variant::long_(202),
                                   sql_server()),
                            Variant::integer(0));
              }),
              (std::vector<std::string>{"EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0102', 103, 1",
                                        "EXEC SP_QBX_ALT_PEDIDO_OLT1   1, 1, 'PRG-0102', 103, 7"}));
    EXPECT_EQ(order(1), "1|1|PRG-0102|103|201");
    EXPECT_EQ(operations(), (std::vector<std::string>{"172|2|7|1"}));

    EXPECT_EQ(update(Variant::long_(99), Variant("PRG-0199"), Variant::long_(103), Variant::long_(202), sql_server()),
              Variant::integer(10));
    EXPECT_EQ(message, Variant("antes"));
    EXPECT_EQ(operations().size(), 1u);
}

TEST_F(OrderWrites, DeleteSetsTheStatusAndLeavesItemsAndLogAlone) {
    const auto items = texts("SELECT TAB_STATUS_ID FROM PEDIDO_ITEM ORDER BY PEDIDO_ITEM_ID");
    EXPECT_EQ(traced([&] { EXPECT_EQ(remove(Variant::long_(2), oracle()), Variant::integer(0)); }),
              (Entries{{" UPDATE PEDIDO SET TAB_STATUS_ID = 2  WHERE PEDIDO_ID =  2 ", true},
                       {kOracleDeleteAnswer, false}}));
    EXPECT_EQ(traced_texts([&] { EXPECT_EQ(remove(Variant::long_(1), sql_server()), Variant::integer(0)); }),
              (std::vector<std::string>{"EXEC SP_QBX_EXC_PEDIDO_OLT1   1, 7"}));
    for (const Variant& kind : {oracle(), sql_server()}) {
        EXPECT_EQ(query(Variant::long_(1), kind), Variant::integer(10));
        EXPECT_EQ(query(Variant::long_(2), kind), Variant::integer(10));
        EXPECT_EQ(message, Variant(kNotFound));
        EXPECT_EQ(remove(Variant::long_(3), kind), Variant::integer(0));  // already deleted
    }
    EXPECT_EQ(order(1), "1|2|PRG-0001|101|201");
    EXPECT_EQ(order(2), "1|2|PRG-0002|102|202");
    EXPECT_EQ(texts("SELECT TAB_STATUS_ID FROM PEDIDO_ITEM ORDER BY PEDIDO_ITEM_ID"), items);
    EXPECT_TRUE(operations().empty());

    // An unknown order: the inline UPDATE matches nothing and succeeds, the procedure refuses.
    message = Variant("antes");
    EXPECT_EQ(remove(Variant::long_(99), oracle()), Variant::integer(0));
    EXPECT_EQ(remove(Variant::long_(99), sql_server()), Variant::integer(10));
    EXPECT_EQ(message, Variant("antes"));
}

TEST_F(OrderWrites, RefusedValidationSendsNoWrite) {
    for (const Variant& kind : {oracle(), sql_server()}) {
        message = Variant("antes");
        EXPECT_EQ(traced_texts([&] {
                      EXPECT_EQ(insert(Variant("PRG-0001"), Variant::long_(101), Variant::long_(201), kind, new_id),
                                Variant::integer(10));
                  }).size(),
                  1u);
        EXPECT_EQ(message, Variant(kDuplicate));
        EXPECT_EQ(update(Variant::long_(2), Variant("PRG-0001"), Variant::long_(101), Variant::long_(201), kind),
                  Variant::integer(10));
        EXPECT_EQ(message, Variant(kDuplicate));
        EXPECT_TRUE(traced_texts([&] { EXPECT_EQ(remove(Variant::long_(0), kind), Variant::integer(10)); }).empty());
        EXPECT_EQ(message, Variant("Informe o pedido."));
    }
    EXPECT_EQ(new_id, kUnset);
    EXPECT_EQ(last_key(), "3");
    EXPECT_EQ(order(2), "1|1|PRG-0002|102|202");
    EXPECT_TRUE(operations().empty());
}

TEST_F(OrderWrites, RefusalsOfTheKeyGenerator) {
    ScriptedKeys keys;
    keys.refuse_key = true;
    EXPECT_EQ(traced_texts([&] {
                  EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle(), new_id),
                            Variant::integer(10));
              }).size(),
              1u);
    EXPECT_EQ(message, Variant("Chave recusada."));
    EXPECT_EQ(order(4), "");
    EXPECT_TRUE(keys.last.expired());

    // A refused record keeps the row written and the message untouched.
    keys.refuse_key = false;
    keys.refuse_record = true;
    message = Variant("antes");
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle(), new_id),
              Variant::integer(10));
    EXPECT_EQ(order(4), "1|1|PRG-0100|103|202");
    EXPECT_EQ(update(Variant::long_(1), Variant("PRG-0101"), Variant::long_(101), Variant::long_(201), oracle()),
              Variant::integer(10));
    EXPECT_EQ(order(1), "1|1|PRG-0101|101|201");
    EXPECT_EQ(message, Variant("antes"));
    EXPECT_EQ(new_id, kUnset);
    EXPECT_TRUE(operations().empty());
    EXPECT_TRUE(keys.last.expired());
}

// The procedure draws no key when the counter is missing or the next key is
// taken: it writes nothing and refuses, which leaves the caller's message.
TEST_F(OrderWrites, TheInsertionProcedureRefusesWhenNoKeyIsFree) {
    const std::string exec = "EXEC SP_QBX_INC_PEDIDO_OLT1   1, 'PRG-0100', 103, 7";
    const std::vector<std::string> refusal{"1|Não foi possível gerar a chave PEDIDO_ID.|0"};
    db.exec("INSERT INTO PEDIDO (PEDIDO_ID) VALUES (4)");
    EXPECT_EQ(texts(exec), refusal);
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), sql_server(), new_id),
              Variant::integer(10));
    EXPECT_EQ(last_key(), "3");
    db.exec("DELETE FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ID'");
    EXPECT_EQ(texts(exec), refusal);
    EXPECT_EQ(message, Variant("antes"));
    EXPECT_EQ(new_id, kUnset);
    EXPECT_EQ(texts("SELECT COUNT(*) FROM PEDIDO"), (std::vector<std::string>{"4"}));
    EXPECT_TRUE(operations().empty());
}

TEST_F(OrderWrites, EmptyAnswersWriteEachMethodsMessage) {
    db.exec("DELETE FROM Infra_IDS");
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle(), new_id),
              Variant::integer(10));
    EXPECT_EQ(message, Variant("Erro na inclusão do pedido."));
    EXPECT_EQ(update(Variant::long_(1), Variant("PRG-0101"), Variant::long_(101), Variant::long_(201), oracle()),
              Variant::integer(10));
    EXPECT_EQ(message, Variant("Erro na alteração do pedido."));
    EXPECT_EQ(remove(Variant::long_(2), oracle()), Variant::integer(10));
    EXPECT_EQ(message, Variant("Erro na exclusão do pedido."));
    // The inline writes ran before their answers were read.
    EXPECT_EQ(order(4), "1|1|PRG-0100|103|202");
    EXPECT_EQ(order(1), "1|1|PRG-0101|101|201");
    EXPECT_EQ(order(2), "1|2|PRG-0002|102|202");
    EXPECT_EQ(new_id, kUnset);
}

TEST_F(OrderWrites, ErrorTrailersOfThePublicMethodAndOfTheEmulation) {
    std::string mismatch;
    try {
        outside::formatter().SqlNumber(Variant("abc"));
    } catch (const automation::AutomationError& e) {
        mismatch = e.description();
    }
    user = Variant::long_(1);
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), sql_server(), new_id,
                     Variant("abc")),
              Variant::integer(10));
    EXPECT_EQ(message.text(), std::string(kOrderUnavailable) + " - TvrZOLT.gInclui_Campos_PEDIDO. ( " + mismatch +
                                  " :  No Nº 50) EXEC SP_QBX_INC_PEDIDO_OLT1   ");

    // A key counter behind the table: the drawn key collides and the INSERT fails.
    db.exec("UPDATE Infra_Chave SET ULTIMO_VALOR = 0 WHERE NOME_COLUNA = 'PEDIDO_ID'");
    const std::string colliding = oracle_insert("1", "'PRG-0100'", "103", "202");
    const std::string description = error_of(db, colliding);
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle(), new_id),
              Variant::integer(10));
    EXPECT_EQ(message.text(), std::string(kOracleUnavailable) + " - mTrataSP_QBX_INC_PEDIDO_OLT1 (" + description +
                                  " :  No Nº 110)" + colliding);
    user = Variant::long_(2);
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle(), new_id),
              Variant::integer(10));
    EXPECT_EQ(message.text(), kOracleUnavailable);
    EXPECT_EQ(order(1), "1|1|PRG-0001|101|201");
    EXPECT_TRUE(operations().empty());
    EXPECT_EQ(new_id, kUnset);
}

// Quotes in an external number are data, never SQL: a number written to
// break out of its literal would make supplier 101's live order collide.
TEST_F(OrderWrites, QuotesInTheExternalNumberStayInsideTheLiteral) {
    const Variant number("x' OR '1'='1");
    EXPECT_EQ(traced_texts([&] {
                  EXPECT_EQ(insert(number, Variant::long_(101), Variant::long_(201), oracle(), new_id),
                            Variant::integer(0));
              }).at(1),
              oracle_insert("4", "'x'' OR ''1''=''1'", "101", "201"));
    EXPECT_EQ(traced_texts([&] {
                  EXPECT_EQ(insert(number, Variant::long_(102), Variant::long_(202), sql_server(), new_id),
                            Variant::integer(0));
              }).at(1),
              "EXEC SP_QBX_INC_PEDIDO_OLT1   1, 'x'' OR ''1''=''1', 102, 7");
    for (int id : {4, 5}) {
        OrderFields out;
        EXPECT_EQ(query(Variant::long_(id), id == 4 ? oracle() : sql_server(), out), Variant::integer(0));
        EXPECT_EQ(out.number, number);
    }
    EXPECT_EQ(insert(number, Variant::long_(102), Variant::long_(202), sql_server(), new_id), Variant::integer(10));
    EXPECT_EQ(message, Variant(kDuplicate));
}

}  // namespace
}  // namespace zolt::orders_test
