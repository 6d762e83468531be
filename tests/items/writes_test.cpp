// Writing items: insertion, update and logical deletion in both dialects,
// their database effects, and what happens when a step refuses or fails.
#include "tests/items/item_test.h"

namespace zolt::test {
namespace {

// Each dialect on a database of its own: an insertion, an update of the new
// item, and the deletion of a confirmed item, twice. The inline dialect draws
// the key and records its writes itself. What the writes leave is compared by
// the parity test.
TEST_P(Items, WritesInBothDialects) {
    ScriptedKeys keys;
    const auto procedures_db = another_database();
    const std::string keys_connection = db->connection_string();
    struct Dialect {
        Variant kind;
        const TestDatabase& database;
        Entries insertion, update, deletion;
    };
    const std::vector<Dialect> dialects{
        {oracle(),
         *db,
         {{" INSERT  INTO PEDIDO_ITEM  ( PEDIDO_ITEM_ID ,  DATA_EMBARQUE ,  PECA_ID ,  PEDIDO_ID ,  QTDE_PEDIDA ,  "
           "TAB_STATUS_ID )  VALUES  (  6 ,   {ts '2030-03-10 00:00:00'} ,   303 ,   1 ,   40 ,   509 ) ",
           true},
          {" SELECT  6 PEDIDO_ITEM_ID , 0 RETORNO , '' MSG_RET From Infra_IDS", false}},
         {{" UPDATE PEDIDO_ITEM  SET  DATA_EMBARQUE =  {ts '2030-03-11 15:45:00'} ,  PECA_ID =  303 ,  PEDIDO_ID =  1 "
           ",  QTDE_PEDIDA =  45 ,  TAB_STATUS_ID =  509  WHERE PEDIDO_ITEM_ID  = 6 ",
           true},
          {"Select 0 Retorno, '' Msg_Ret, 1 Pedido_ID From Infra_IDS ", false}},
         {{" UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 2  WHERE PEDIDO_ITEM_ID =  2 ", true},
          {" SELECT 0 RETORNO , '' MSG_RET From Infra_IDS", false}}},
        {sql_server(),
         *procedures_db,
         {{"EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', 303, 1, 40, 1, 2", false}},
         {{"EXEC SP_QBX_ALT_PEDIDO_ITEM_OLT1   6, '2030-03-11T15:45:00', 303, 1, 45, 1, 2", false}},
         {{"EXEC SP_QBX_EXC_PEDIDO_ITEM_OLT1   2, 2", false}}},
    };
    for (const Dialect& d : dialects) {
        connection = Variant(automation::ObjectPtr(d.database.connect()));
        d.database.exec("UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 510 WHERE PEDIDO_ITEM_ID = 2");
        ItemCall c = new_item();
        EXPECT_EQ(written(4, [&] { EXPECT_EQ(insert(c, d.kind), Variant::integer(0)); }), d.insertion);
        EXPECT_EQ(c.new_id, Variant::long_(6));
        c.item_id = c.new_id;
        c.date = day(2030, 3, 11, 15, 45);
        c.quantity = Variant("45");
        EXPECT_EQ(written(5, [&] { EXPECT_EQ(update(c, d.kind), Variant::integer(0)); }), d.update);
        ItemCall deletion;
        deletion.item_id = Variant::long_(2);
        for (const Entries& statements : {d.deletion, d.deletion})
            EXPECT_EQ(traced([&] { EXPECT_EQ(remove(deletion, d.kind), Variant::integer(0)); }), statements);
        EXPECT_EQ(row_texts(d.database, "SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao"),
                  (Lines{"260|1|2|6", "260|2|2|6"}));
        EXPECT_EQ(c.message, Variant("as passed"));
        EXPECT_EQ(deletion.message, Variant("as passed"));
    }
    EXPECT_EQ(keys.calls, (Lines{"NextKey|ORACLE|2|1|TOVREL|N|Empty|" + keys_connection + "|PEDIDO_ITEM_ID",
                                 "RecordOperation|ORACLE|260|1|2|6|0|" + keys_connection,
                                 "RecordOperation|ORACLE|260|2|2|6|0|" + keys_connection}));
}

// A refused key ends the insertion with the generator's message. A refused
// record comes after the write: the row stays, the message does not change.
TEST_P(Items, RefusalsOfTheKeyGenerator) {
    ScriptedKeys keys;
    keys.refuse_key = true;
    ItemCall c = new_item();
    EXPECT_EQ(insert(c, oracle()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("Chave recusada."));
    EXPECT_EQ(item(6), "");
    EXPECT_TRUE(c.new_id.is_empty());

    keys.refuse_key = false;
    keys.refuse_record = true;
    c = new_item();
    EXPECT_EQ(insert(c, oracle()), Variant::integer(10));
    EXPECT_EQ(item(6), "1|303|40|509|10/03/2030");
    c.item_id = Variant::long_(6);
    c.quantity = Variant::long_(9);
    EXPECT_EQ(update(c, oracle()), Variant::integer(10));
    EXPECT_EQ(item(6), "1|303|9|509|10/03/2030");
    EXPECT_EQ(c.message, Variant("as passed"));
    EXPECT_TRUE(log().empty());
}

// Without a counter the procedure draws no key: it refuses with a RETORNO,
// which leaves the message alone. An inline answer with no row writes each
// method's message, the writes having run before it.
TEST_P(Items, AnswersThatRefuseOrAreMissing) {
    db->exec("DELETE FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'");
    ItemCall c = new_item();
    EXPECT_EQ(insert(c, sql_server()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("as passed"));
    EXPECT_TRUE(c.new_id.is_empty());
    EXPECT_EQ(item(6), "");
    EXPECT_TRUE(log().empty());

    db->exec("INSERT INTO Infra_Chave VALUES ('PEDIDO_ITEM_ID', 6)");
    db->inject(TestDatabase::Mishap::EmptyAnswers, "PEDIDO_ITEM");
    c = new_item();
    c.item_id = Variant::long_(1);
    EXPECT_EQ(update(c, oracle()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("Erro na alteração dos itens do pedido."));
    db->exec("INSERT INTO Infra_IDS VALUES (1)");
    EXPECT_EQ(remove(c, oracle()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("Erro na exclusão do item do pedido."));
    db->exec("INSERT INTO Infra_IDS VALUES (1)");
    c = new_item();
    EXPECT_EQ(insert(c, oracle()), Variant::integer(10));
    EXPECT_EQ(c.message, Variant("Erro na inclusão do item no pedido."));
    EXPECT_EQ(rows("SELECT PEDIDO_ITEM_ID, TAB_STATUS_ID FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID IN (1, 7)"),
              (Lines{"1|2", "7|509"}));
}

// The public trailer ends with the EXEC as far as it was built; the
// emulation's with its own statement as far as it was built.
TEST_P(Items, ErrorsCarryTheirTrailersForTheFirstUser) {
    db->inject(TestDatabase::Mishap::Refuse, "PEDIDO_ITEM");
    const std::string insertion = "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', 303, 1, 40, 1, 1";
    ItemCall c = new_item();
    c.user = Variant::long_(1);
    EXPECT_EQ(insert(c, sql_server()), Variant::integer(10));
    EXPECT_EQ(c.message.text(), kItemUnavailable + " - TvrZOLT.gInclui_Campos_PEDIDO_ITEM. ( " +
                                    error_of(*db, insertion) + " :  No Nº 120) " + insertion);
    EXPECT_EQ(last_key(), "5");

    // The formatter refuses the part, after the validation's three literals.
    ScopedClass failing(outside::clsid::kSqlFormatter, failing_formatter_class("Recusado", 3));
    on_new_thread([&] {
        c = new_item();
        c.item_id = Variant::long_(1);
        c.user = Variant::long_(1);
        EXPECT_EQ(update(c, oracle()), Variant::integer(10));
        EXPECT_EQ(c.message.text(), kOracleUnavailable +
                                        " - mTrataSP_QBX_ALT_PEDIDO_ITEM_OLT1 (Recusado :  No Nº 30) UPDATE "
                                        "PEDIDO_ITEM  SET  DATA_EMBARQUE =  {ts '2030-03-10 00:00:00'} , ");
    });
    EXPECT_EQ(item(1), "1|301|100|509|15/01/2030");
}

}  // namespace
}  // namespace zolt::test
