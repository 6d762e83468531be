// Writing orders in both dialects: the statements, what they leave in the
// database, and what happens when a step refuses or fails.
#include "component/frame.h"
#include "tests/support/helpers.h"

namespace zolt::test {
namespace {

// One call of each write: of orders 4 (new), 3 and 2, and of items 6 (new),
// 6 again and the confirmed item 2.
struct Write {
    std::string method;
    Arguments arguments;
};
std::vector<Write> every_write() {
    const Variant status = Variant::long_(5), client = Variant::long_(202);
    return {
        {"gInclui_Campos_PEDIDO",
         {{kStatus, status},
          {kNumber, "PRG-'100"},
          {kSupplier, 103},
          {kClient, client},
          {"OutVntPedido_ID", kAsPassed}}},
        {"gAltera_Campos_PEDIDO",
         {{kOrder, 3}, {kStatus, status}, {kNumber, "PRG-0101"}, {kSupplier, 102}, {kClient, client}}},
        {"gExclui_Campos_PEDIDO", {{kOrder, 2}}},
        {"gInclui_Campos_PEDIDO_ITEM",
         {{kShipping, day(2030, 3, 10)},
          {kPart, 303},
          {kOrder, 1},
          {kQuantity, 40},
          {"OutVntPedido_Item_ID", kAsPassed}}},
        {"gAltera_Campos_PEDIDO_ITEM",
         {{kItem, 6}, {kShipping, day(2030, 3, 11, 15, 45)}, {kPart, 303}, {kOrder, 1}, {kQuantity, "45"}}},
        {"gExclui_Campos_PEDIDO_ITEM", {{kItem, 2}}}};
}

// Each dialect on a database of its own. The statements after the
// validation's reads (whose texts the checks assert): the inline dialect
// draws the keys and records its writes itself; quotes in the external number
// stay inside its literal. What the writes leave is compared by the parity
// test.
TEST_P(Orders, TheStatementsOfEveryWrite) {
    ScriptedKeys keys;
    const auto procedures_db = another_database();
    using Entries = std::vector<ado::TraceEntry>;
    const std::vector<std::size_t> validation_reads{1, 1, 0, 4, 5, 0};
    const std::vector<Entries> inline_texts{
        {{" INSERT  INTO PEDIDO  ( PEDIDO_ID ,  EMPRESA_ID ,  TAB_STATUS_ID ,  NUM_PEDIDO_EXTERNO ,  "
          "FORNECEDOR_ID ,  Cliente_ID )  VALUES  (  4 ,  1 ,   1 ,   'PRG-''100' ,   103 ,   202 ) ",
          true},
         {"Select 0 Retorno, '' Msg_Ret, 4 Pedido_ID From Infra_IDS ", false}},
        {{" UPDATE PEDIDO  SET  EMPRESA_ID = 1 ,  TAB_STATUS_ID =  1 ,  NUM_PEDIDO_EXTERNO =  'PRG-0101' ,  "
          "FORNECEDOR_ID =  102 ,  Cliente_ID =  202  WHERE PEDIDO_ID  = 3 ",
          true},
         {"Select 0 Retorno, '' Msg_Ret, 3 Pedido_ID From Infra_IDS ", false}},
        {{" UPDATE PEDIDO SET TAB_STATUS_ID = 2  WHERE PEDIDO_ID =  2 ", true},
         {" SELECT 0 RETORNO , '' MSG_RET From Infra_IDS", false}},
        {{" INSERT  INTO PEDIDO_ITEM  ( PEDIDO_ITEM_ID ,  DATA_EMBARQUE ,  PECA_ID ,  PEDIDO_ID ,  "
          "QTDE_PEDIDA ,  TAB_STATUS_ID )  VALUES  (  6 ,   {ts '2030-03-10 00:00:00'} ,   303 ,   1 ,   "
          "40 ,   509 ) ",
          true},
         {" SELECT  6 PEDIDO_ITEM_ID , 0 RETORNO , '' MSG_RET From Infra_IDS", false}},
        {{" UPDATE PEDIDO_ITEM  SET  DATA_EMBARQUE =  {ts '2030-03-11 15:45:00'} ,  PECA_ID =  303 ,  "
          "PEDIDO_ID =  1 ,  QTDE_PEDIDA =  45 ,  TAB_STATUS_ID =  509  WHERE PEDIDO_ITEM_ID  = 6 ",
          true},
         {"Select 0 Retorno, '' Msg_Ret, 1 Pedido_ID From Infra_IDS ", false}},
        {{" UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 2  WHERE PEDIDO_ITEM_ID =  2 ", true},
         {" SELECT 0 RETORNO , '' MSG_RET From Infra_IDS", false}}};
    const std::vector<std::string> procedure_texts{
        "EXEC SP_QBX_INC_PEDIDO_OLT1   5, 'PRG-''100', 103, 7",
        "EXEC SP_QBX_ALT_PEDIDO_OLT1   3, 5, 'PRG-0101', 102, 7",
        "EXEC SP_QBX_EXC_PEDIDO_OLT1   2, 7",
        "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', 303, 1, 40, 1, 7",
        "EXEC SP_QBX_ALT_PEDIDO_ITEM_OLT1   6, '2030-03-11T15:45:00', 303, 1, 45, 1, 7",
        "EXEC SP_QBX_EXC_PEDIDO_ITEM_OLT1   2, 7"};
    const std::string keys_connection = db->connection_string();
    for (const auto& [kind, database] :
         {std::pair{oracle(), db.get()}, {sql_server(), procedures_db.get()}}) {
        connection = Variant(automation::ObjectPtr(database->connect()));
        database->exec("UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 510 WHERE PEDIDO_ITEM_ID = 2");
        const std::vector<Write> writes = every_write();
        for (std::size_t i = 0; i < writes.size(); ++i) {
            Arguments arguments = writes[i].arguments;
            Entries sent =
                traced([&] { EXPECT_EQ(invoke(writes[i].method, arguments, kind), Variant::integer(0)); });
            sent.erase(sent.begin(), sent.begin() + std::min(validation_reads[i], sent.size()));
            EXPECT_EQ(sent, (kind == oracle() ? inline_texts[i] : Entries{{procedure_texts[i], false}}))
                << writes[i].method;
            EXPECT_EQ(message, kAsPassed) << writes[i].method;
        }
        EXPECT_EQ(database->row_texts("SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao"),
                  (Lines{"172|1|7|4", "172|2|7|3", "260|1|7|6", "260|2|7|6"}));
        EXPECT_EQ(rows("SELECT PEDIDO_ID FROM PEDIDO WHERE NUM_PEDIDO_EXTERNO = 'PRG-''100'"), Lines{"4"});
    }
    EXPECT_EQ(keys.calls, (Lines{"NextKey|ORACLE|7|1|TOVREL|N|Empty|" + keys_connection + "|PEDIDO_ID",
                                 "RecordOperation|ORACLE|172|1|7|4|0|" + keys_connection,
                                 "RecordOperation|ORACLE|172|2|7|3|0|" + keys_connection,
                                 "NextKey|ORACLE|7|1|TOVREL|N|Empty|" + keys_connection + "|PEDIDO_ITEM_ID",
                                 "RecordOperation|ORACLE|260|1|7|6|0|" + keys_connection,
                                 "RecordOperation|ORACLE|260|2|7|6|0|" + keys_connection}));
}

// An inline answer with no row fails each write with its message and leaves
// the new key unset; the writes ran before it.
TEST_P(Orders, InlineAnswersWithoutARow) {
    db->inject(TestDatabase::Mishap::EmptyAnswers, "PEDIDO");
    db->inject(TestDatabase::Mishap::EmptyAnswers, "PEDIDO_ITEM");
    const std::vector<std::string> messages{"Erro na inclusão do pedido.",
                                            "Erro na alteração do pedido.",
                                            "Erro na exclusão do pedido.",
                                            "Erro na inclusão do item no pedido.",
                                            "Erro na alteração dos itens do pedido.",
                                            "Erro na exclusão do item do pedido."};
    const std::vector<Write> writes = every_write();
    for (std::size_t i = 0; i < writes.size(); ++i) {
        db->exec("DELETE FROM Infra_IDS");
        db->exec("INSERT INTO Infra_IDS VALUES (1)");
        Arguments arguments = writes[i].arguments;
        EXPECT_EQ(invoke(writes[i].method, arguments, oracle()), Variant::integer(10));
        EXPECT_EQ(message, Variant(messages[i]));
        for (const Variant& output : outputs(arguments))
            EXPECT_EQ(output, kAsPassed) << writes[i].method;
    }
    EXPECT_EQ(rows("SELECT PEDIDO_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO FROM PEDIDO WHERE PEDIDO_ID > 1 "
                   "ORDER BY 1"),
              (Lines{"2|2|PRG-0002", "3|1|PRG-0101", "4|1|PRG-'100"}));
    EXPECT_EQ(rows("SELECT PEDIDO_ITEM_ID, QTDE_PEDIDA, TAB_STATUS_ID FROM PEDIDO_ITEM "
                   "WHERE PEDIDO_ITEM_ID IN (2, 6) ORDER BY 1"),
              (Lines{"2|50|2", "6|45|509"}));
}

// A refused validation ends a write before a key is drawn or anything is
// written. A refused key ends an inline insertion with the generator's
// message, before it writes. A refused record comes after the write: the row
// stays, and the message and the new key's argument are left alone.
TEST_P(Orders, RefusalsBeforeAndAfterTheWrite) {
    ScriptedKeys keys;
    for (const Variant& kind : {oracle(), sql_server()}) {
        EXPECT_EQ(
            invoke("gInclui_Campos_PEDIDO", {{kNumber, "PRG-0001"}, {kSupplier, 101}, {kClient, 201}}, kind),
            Variant::integer(10));
        EXPECT_EQ(message, Variant("Já existe um pedido para este fornecedor com o número informado."));
        EXPECT_EQ(traced_texts([&] {
                      EXPECT_EQ(invoke("gExclui_Campos_PEDIDO", {{kOrder, 0}}, kind), Variant::integer(10));
                  }),
                  Lines{});
        EXPECT_EQ(message, Variant("Informe o pedido."));
    }
    EXPECT_EQ(keys.calls, Lines{});

    const std::vector<Write> writes = every_write();
    keys.refuse_key = true;
    for (const std::size_t insertion : {0, 3}) {
        Arguments arguments = writes[insertion].arguments;
        EXPECT_EQ(invoke(writes[insertion].method, arguments, oracle()), Variant::integer(10));
        EXPECT_EQ(message, Variant("Chave recusada."));
    }
    EXPECT_EQ(rows("SELECT (SELECT COUNT(*) FROM PEDIDO) + (SELECT COUNT(*) FROM PEDIDO_ITEM)"), Lines{"8"});

    keys.refuse_key = false;
    keys.refuse_record = true;
    for (const std::size_t write : {0, 1, 3, 4}) {
        Arguments arguments = writes[write].arguments;
        EXPECT_EQ(invoke(writes[write].method, arguments, oracle()), Variant::integer(10));
        EXPECT_EQ(message, kAsPassed);
        for (const Variant& output : outputs(arguments))
            EXPECT_EQ(output, kAsPassed) << writes[write].method;
    }
    EXPECT_EQ(rows("SELECT * FROM PEDIDO WHERE PEDIDO_ID IN (3, 4) ORDER BY 1"),
              (Lines{"3|1|1|PRG-0101|102|202", "4|1|1|PRG-'100|103|202"}));
    EXPECT_EQ(rows("SELECT QTDE_PEDIDA, TAB_STATUS_ID FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 6"),
              Lines{"45|509"});
    EXPECT_TRUE(operations().empty());
}

// The emulation's trailer ends with its own statement, here an INSERT whose
// key is taken; other users get the message alone.
TEST_P(Orders, TheEmulationsTrailer) {
    db->exec("UPDATE Infra_Chave SET ULTIMO_VALOR = 0 WHERE NOME_COLUNA = 'PEDIDO_ID'");
    const std::string colliding =
        " INSERT  INTO PEDIDO  ( PEDIDO_ID ,  EMPRESA_ID ,  TAB_STATUS_ID ,  NUM_PEDIDO_EXTERNO ,  "
        "FORNECEDOR_ID ,  Cliente_ID )  VALUES  (  1 ,  1 ,   1 ,   'PRG-0100' ,   103 ,   202 ) ";
    for (const int user_id : {1, 2}) {
        Arguments arguments{{kNumber, "PRG-0100"},
                            {kSupplier, 103},
                            {kClient, 202},
                            {"OutVntPedido_ID", kAsPassed},
                            {kUser, Variant::long_(user_id)}};
        EXPECT_EQ(invoke("gInclui_Campos_PEDIDO", arguments, oracle()), Variant::integer(10));
        EXPECT_EQ(message.text(),
                  std::string(component::kOracleUnavailable) +
                      (user_id == 1 ? " - mTrataSP_QBX_INC_PEDIDO_OLT1 (" + db->error_of(colliding) +
                                          " :  No Nº 110)" + colliding
                                    : ""));
        EXPECT_EQ(outputs(arguments), std::vector<Variant>{kAsPassed});
    }
    EXPECT_EQ(rows("SELECT * FROM PEDIDO WHERE PEDIDO_ID = 1"), Lines{"1|1|1|PRG-0001|101|201"});
    EXPECT_TRUE(operations().empty());
}

}  // namespace
}  // namespace zolt::test
