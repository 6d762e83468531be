// Writing orders in both dialects: the statements, what they leave in the
// database, and what happens when a step refuses or fails.
#include "tests/orders/order_test.h"

namespace zolt::orders_test {
namespace {

using Entries = std::vector<ado::TraceEntry>;

// The statements a write sent after its validation's duplicate check, whose
// own texts are checked with the check.
Entries after_check(Entries statements) {
    EXPECT_FALSE(statements.empty());
    if (!statements.empty())
        statements.erase(statements.begin());
    return statements;
}

// Each dialect on a database of its own: an insertion, an update of the
// deleted order 3 and the deletion of order 2, twice. The inline dialect draws
// the key and records its writes itself; quotes in the external number stay
// inside its literal. What the writes leave is compared by the parity test.
TEST_P(Orders, StatementsOfEachDialect) {
    test::ScriptedKeys keys;
    const auto procedures_db = another_database();
    const std::string keys_connection = db->connection_string();
    struct Dialect {
        Variant kind;
        const test::TestDatabase& database;
        Entries insertion, update, deletion;
    };
    const std::vector<Dialect> dialects{
        {oracle(),
         *db,
         {{" INSERT  INTO PEDIDO  ( PEDIDO_ID ,  EMPRESA_ID ,  TAB_STATUS_ID ,  NUM_PEDIDO_EXTERNO ,  FORNECEDOR_ID ,  "
           "Cliente_ID )  VALUES  (  4 ,  1 ,   1 ,   'PRG-''100' ,   103 ,   202 ) ",
           true},
          {"Select 0 Retorno, '' Msg_Ret, 4 Pedido_ID From Infra_IDS ", false}},
         {{" UPDATE PEDIDO  SET  EMPRESA_ID = 1 ,  TAB_STATUS_ID =  1 ,  NUM_PEDIDO_EXTERNO =  'PRG-0101' ,  "
           "FORNECEDOR_ID =  102 ,  Cliente_ID =  202  WHERE PEDIDO_ID  = 3 ",
           true},
          {"Select 0 Retorno, '' Msg_Ret, 3 Pedido_ID From Infra_IDS ", false}},
         {{" UPDATE PEDIDO SET TAB_STATUS_ID = 2  WHERE PEDIDO_ID =  2 ", true},
          {" SELECT 0 RETORNO , '' MSG_RET From Infra_IDS", false}}},
        {sql_server(),
         *procedures_db,
         {{"EXEC SP_QBX_INC_PEDIDO_OLT1   5, 'PRG-''100', 103, 7", false}},
         {{"EXEC SP_QBX_ALT_PEDIDO_OLT1   3, 5, 'PRG-0101', 102, 7", false}},
         {{"EXEC SP_QBX_EXC_PEDIDO_OLT1   2, 7", false}}},
    };
    for (const Dialect& d : dialects) {
        connection = Variant(automation::ObjectPtr(d.database.connect()));
        const Variant status = Variant::long_(5), client = Variant::long_(202);
        EXPECT_EQ(after_check(traced([&] {
                      EXPECT_EQ(insert(Variant("PRG-'100"), Variant::long_(103), client, d.kind, status),
                                Variant::integer(0));
                  })),
                  d.insertion);
        EXPECT_EQ(new_id, Variant::long_(4));
        EXPECT_EQ(after_check(traced([&] {
                      EXPECT_EQ(update(Variant::long_(3), Variant("PRG-0101"), Variant::long_(102), client, d.kind,
                                       status),
                                Variant::integer(0));
                  })),
                  d.update);
        for (const Entries& statements : {d.deletion, d.deletion})
            EXPECT_EQ(traced([&] { EXPECT_EQ(remove(Variant::long_(2), d.kind), Variant::integer(0)); }), statements);
        EXPECT_EQ(test::row_texts(d.database, "SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao"),
                  (Lines{"172|1|7|4", "172|2|7|3"}));
        EXPECT_EQ(message, Variant("antes"));
    }
    EXPECT_EQ(keys.calls, (Lines{"NextKey|ORACLE|7|1|TOVREL|N|Empty|" + keys_connection + "|PEDIDO_ID",
                                 "RecordOperation|ORACLE|172|1|7|4|0|" + keys_connection,
                                 "RecordOperation|ORACLE|172|2|7|3|0|" + keys_connection}));
}

// A refused validation ends a write before anything is written, a refused key
// the insertion with the generator's message. A refused record comes after
// the write: the row stays and the message does not change.
TEST_P(Orders, RefusalsOfTheValidationAndTheKeyGenerator) {
    test::ScriptedKeys keys;
    for (const Variant& kind : {oracle(), sql_server()}) {
        EXPECT_EQ(insert(Variant("PRG-0001"), Variant::long_(101), Variant::long_(201), kind), Variant::integer(10));
        EXPECT_EQ(message, Variant(kDuplicate));
        EXPECT_TRUE(traced_texts([&] { EXPECT_EQ(remove(Variant::long_(0), kind), Variant::integer(10)); }).empty());
        EXPECT_EQ(message, Variant("Informe o pedido."));
    }
    EXPECT_EQ(last_key(), "3");
    EXPECT_TRUE(keys.calls.empty());

    keys.refuse_key = true;
    EXPECT_EQ(traced_texts([&] {
                  EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle()),
                            Variant::integer(10));
              }).size(),
              1u);
    EXPECT_EQ(message, Variant("Chave recusada."));
    EXPECT_EQ(order(4), "");

    keys.refuse_key = false;
    keys.refuse_record = true;
    message = Variant("antes");
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle()), Variant::integer(10));
    EXPECT_EQ(order(4), "1|1|PRG-0100|103|202");
    EXPECT_EQ(update(Variant::long_(1), Variant("PRG-0101"), Variant::long_(101), Variant::long_(201), oracle()),
              Variant::integer(10));
    EXPECT_EQ(order(1), "1|1|PRG-0101|101|201");
    EXPECT_EQ(message, Variant("antes"));
    EXPECT_EQ(new_id, kUnset);
    EXPECT_TRUE(operations().empty());
}

// An inline answer with no row writes each method's message; the writes ran
// before it.
TEST_P(Orders, InlineAnswersWithoutARow) {
    db->exec("DELETE FROM Infra_IDS");
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle()), Variant::integer(10));
    EXPECT_EQ(message, Variant("Erro na inclusão do pedido."));
    EXPECT_EQ(update(Variant::long_(1), Variant("PRG-0101"), Variant::long_(101), Variant::long_(201), oracle()),
              Variant::integer(10));
    EXPECT_EQ(message, Variant("Erro na alteração do pedido."));
    EXPECT_EQ(remove(Variant::long_(2), oracle()), Variant::integer(10));
    EXPECT_EQ(message, Variant("Erro na exclusão do pedido."));
    EXPECT_EQ(order(4), "1|1|PRG-0100|103|202");
    EXPECT_EQ(order(1), "1|1|PRG-0101|101|201");
    EXPECT_EQ(order(2), "1|2|PRG-0002|102|202");
    EXPECT_EQ(new_id, kUnset);
}

// The emulation's trailer ends with its own statement, here an INSERT whose
// key is taken; other users get the message alone.
TEST_P(Orders, TheEmulationsTrailer) {
    user = Variant::long_(1);
    db->exec("UPDATE Infra_Chave SET ULTIMO_VALOR = 0 WHERE NOME_COLUNA = 'PEDIDO_ID'");
    const std::string colliding =
        " INSERT  INTO PEDIDO  ( PEDIDO_ID ,  EMPRESA_ID ,  TAB_STATUS_ID ,  NUM_PEDIDO_EXTERNO ,  FORNECEDOR_ID ,  "
        "Cliente_ID )  VALUES  (  1 ,  1 ,   1 ,   'PRG-0100' ,   103 ,   202 ) ";
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle()), Variant::integer(10));
    EXPECT_EQ(message.text(), std::string(kOracleUnavailable) + " - mTrataSP_QBX_INC_PEDIDO_OLT1 (" +
                                  test::error_of(*db, colliding) + " :  No Nº 110)" + colliding);
    user = Variant::long_(2);
    EXPECT_EQ(insert(Variant("PRG-0100"), Variant::long_(103), Variant::long_(202), oracle()), Variant::integer(10));
    EXPECT_EQ(message.text(), kOracleUnavailable);
    EXPECT_EQ(order(1), "1|1|PRG-0001|101|201");
    EXPECT_TRUE(operations().empty());
    EXPECT_EQ(new_id, kUnset);
}

}  // namespace
}  // namespace zolt::orders_test
