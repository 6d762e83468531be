// Writing orders in both dialects: the statements, what they leave in the
// database, and what happens when a step refuses or fails.
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
    const auto procedures_db = another_database();
    const std::vector<std::size_t> validation_reads{1, 1, 0, 4, 5, 0};
    // Each inline write, sent on a connection of its own, and its answer.
    const std::vector<std::pair<std::string, std::string>> inline_texts{
        {" INSERT  INTO PEDIDO  ( PEDIDO_ID ,  EMPRESA_ID ,  TAB_STATUS_ID ,  NUM_PEDIDO_EXTERNO ,  "
         "FORNECEDOR_ID ,  Cliente_ID )  VALUES  (  4 ,  1 ,   1 ,   'PRG-''100' ,   103 ,   202 ) ",
         "Select 0 Retorno, '' Msg_Ret, 4 Pedido_ID From Infra_IDS "},
        {" UPDATE PEDIDO  SET  EMPRESA_ID = 1 ,  TAB_STATUS_ID =  1 ,  NUM_PEDIDO_EXTERNO =  'PRG-0101' ,  "
         "FORNECEDOR_ID =  102 ,  Cliente_ID =  202  WHERE PEDIDO_ID  = 3 ",
         "Select 0 Retorno, '' Msg_Ret, 3 Pedido_ID From Infra_IDS "},
        {" UPDATE PEDIDO SET TAB_STATUS_ID = 2  WHERE PEDIDO_ID =  2 ",
         " SELECT 0 RETORNO , '' MSG_RET From Infra_IDS"},
        {" INSERT  INTO PEDIDO_ITEM  ( PEDIDO_ITEM_ID ,  DATA_EMBARQUE ,  PECA_ID ,  PEDIDO_ID ,  "
         "QTDE_PEDIDA ,  TAB_STATUS_ID )  VALUES  (  6 ,   {ts '2030-03-10 00:00:00'} ,   303 ,   1 ,   "
         "40 ,   509 ) ",
         " SELECT  6 PEDIDO_ITEM_ID , 0 RETORNO , '' MSG_RET From Infra_IDS"},
        {" UPDATE PEDIDO_ITEM  SET  DATA_EMBARQUE =  {ts '2030-03-11 15:45:00'} ,  PECA_ID =  303 ,  "
         "PEDIDO_ID =  1 ,  QTDE_PEDIDA =  45 ,  TAB_STATUS_ID =  509  WHERE PEDIDO_ITEM_ID  = 6 ",
         "Select 0 Retorno, '' Msg_Ret, 1 Pedido_ID From Infra_IDS "},
        {" UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 2  WHERE PEDIDO_ITEM_ID =  2 ",
         " SELECT 0 RETORNO , '' MSG_RET From Infra_IDS"}};
    const std::vector<std::string> procedure_texts{
        "EXEC SP_QBX_INC_PEDIDO_OLT1   5, 'PRG-''100', 103, 7",
        "EXEC SP_QBX_ALT_PEDIDO_OLT1   3, 5, 'PRG-0101', 102, 7",
        "EXEC SP_QBX_EXC_PEDIDO_OLT1   2, 7",
        "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', 303, 1, 40, 1, 7",
        "EXEC SP_QBX_ALT_PEDIDO_ITEM_OLT1   6, '2030-03-11T15:45:00', 303, 1, 45, 1, 7",
        "EXEC SP_QBX_EXC_PEDIDO_ITEM_OLT1   2, 7"};
    for (const auto& [kind, database] :
         {std::pair{oracle(), db.get()}, {sql_server(), procedures_db.get()}}) {
        connection = Variant(automation::ObjectPtr(database->connect()));
        const std::vector<Write> writes = every_write();
        for (std::size_t i = 0; i < writes.size(); ++i) {
            Arguments arguments = writes[i].arguments;
            Trace sent =
                traced([&] { EXPECT_EQ(invoke(writes[i].method, arguments, kind), Variant::integer(0)); });
            sent.erase(sent.begin(), sent.begin() + std::min(validation_reads[i], sent.size()));
            const auto& [write, answer] = inline_texts[i];
            EXPECT_EQ(sent, (kind == oracle() ? Trace{{write, true}, {answer, false}}
                                              : Trace{{procedure_texts[i], false}}))
                << writes[i].method;
            EXPECT_EQ(message, kAsPassed) << writes[i].method;
        }
    }
}

// A write that fails answers 10 and leaves its new key's argument alone. A
// refused validation ends it before a key is drawn or anything is written. A
// key that cannot be drawn ends an insertion before it writes: inline with the
// generator's message, in a procedure with a RETORNO that leaves the message
// alone. A refused record, or an inline answer with no row, comes after the
// write, whose rows stay: the first leaves the message alone, the second
// writes the message of each write.
TEST_P(Orders, FailuresBeforeAndAfterTheWrite) {
    auto fails = [&](Write write, const Variant& kind, const Variant& expected) {
        EXPECT_EQ(invoke(write.method, write.arguments, kind), Variant::integer(10)) << write.method;
        EXPECT_EQ(message, expected) << write.method;
        for (const Variant& output : outputs(write.arguments))
            EXPECT_EQ(output, kAsPassed) << write.method;
    };
    for (const Variant& kind : {oracle(), sql_server()}) {
        fails({"gInclui_Campos_PEDIDO", {{kNumber, "PRG-0001"}, {kSupplier, 101}, {kClient, 201}}}, kind,
              Variant("Já existe um pedido para este fornecedor com o número informado."));
        EXPECT_EQ(traced([&] {
                      fails({"gExclui_Campos_PEDIDO", {{kOrder, 0}}}, kind, "Informe o pedido.");
                  }),
                  Trace{});
    }
    EXPECT_EQ(rows("SELECT * FROM Infra_Chave ORDER BY NOME_COLUNA"),
              (Lines{"PEDIDO_ID|3", "PEDIDO_ITEM_ID|5"}));

    const std::vector<Write> writes = every_write();
    db->exec("DELETE FROM Infra_Chave");
    for (const Variant& kind : {oracle(), sql_server()}) {
        const bool inline_dialect = kind == oracle();
        fails(writes[0], kind, inline_dialect ? "Não foi possível gerar a chave PEDIDO_ID." : kAsPassed);
        fails(writes[3], kind, inline_dialect ? "Não foi possível gerar a chave PEDIDO_ITEM_ID." : kAsPassed);
    }
    EXPECT_EQ(rows("SELECT (SELECT COUNT(*) FROM PEDIDO) + (SELECT COUNT(*) FROM PEDIDO_ITEM)"), Lines{"8"});

    db->exec("INSERT INTO Infra_Chave VALUES ('PEDIDO_ID', 3), ('PEDIDO_ITEM_ID', 5)");
    db->inject(TestDatabase::Mishap::Refuse, "Infra_Operacao");
    for (const std::size_t write : {0, 1, 3, 4})
        fails(writes[write], oracle(), kAsPassed);
    EXPECT_TRUE(operations().empty());
    const std::string orders =
        "SELECT PEDIDO_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO FROM PEDIDO WHERE PEDIDO_ID > 1 "
        "ORDER BY 1";
    const std::string items =
        "SELECT PEDIDO_ITEM_ID, QTDE_PEDIDA, TAB_STATUS_ID FROM PEDIDO_ITEM "
        "WHERE PEDIDO_ITEM_ID IN (2, 6) ORDER BY 1";
    EXPECT_EQ(rows(orders), (Lines{"2|1|PRG-0002", "3|1|PRG-0101", "4|1|PRG-'100"}));
    EXPECT_EQ(rows(items), (Lines{"2|50|510", "6|45|509"}));

    use(another_database());
    db->inject(TestDatabase::Mishap::EmptyAnswers, "PEDIDO");
    db->inject(TestDatabase::Mishap::EmptyAnswers, "PEDIDO_ITEM");
    const std::vector<std::string> messages{"Erro na inclusão do pedido.",
                                            "Erro na alteração do pedido.",
                                            "Erro na exclusão do pedido.",
                                            "Erro na inclusão do item no pedido.",
                                            "Erro na alteração dos itens do pedido.",
                                            "Erro na exclusão do item do pedido."};
    for (std::size_t i = 0; i < writes.size(); ++i) {
        db->exec("DELETE FROM Infra_IDS");
        db->exec("INSERT INTO Infra_IDS VALUES (1)");
        fails(writes[i], oracle(), Variant(messages[i]));
    }
    EXPECT_EQ(rows(orders), (Lines{"2|2|PRG-0002", "3|1|PRG-0101", "4|1|PRG-'100"}));
    EXPECT_EQ(rows(items), (Lines{"2|50|2", "6|45|509"}));
}

}  // namespace
}  // namespace zolt::test
