// The two dialects write alike: the same calls, each dialect on a database
// of its own, leave the same orders, items, key counters and operation log.
#include "tests/support/helpers.h"

namespace zolt::test {
namespace {

// Odd values on the way: fractional ids and quantities (converted to whole
// numbers, halves to even), a missing status or user, unknown ids, and key
// counters fallen behind their tables (the insertion fails once, the next one
// gets a new key). The inline dialect's kind comes as a field holding
// "ORACLE". Only the log's time, and the client of an order, may differ: the
// order procedures take no client, so theirs keep the one they had (none for
// a new order).
TEST_P(Orders, TheDialectsLeaveTheSameRows) {
    const auto procedures = another_database();
    const TestDatabase &inline_db = *db, &procedures_db = *procedures;
    struct Call {
        std::string method;
        Arguments arguments;
        int16_t result = 0;
        std::string before = "";  // SQL run on both databases first
    };
    const std::string orders_behind =
        "UPDATE Infra_Chave SET ULTIMO_VALOR = 3 WHERE NOME_COLUNA = 'PEDIDO_ID'";
    const std::string items_behind =
        "UPDATE Infra_Chave SET ULTIMO_VALOR = 5 WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'";
    const Arguments new_order{{kStatus, 1}, {kNumber, "PRG-0010"}, {kSupplier, 103}, {kClient, 201}};
    const Arguments new_item{{kShipping, day(2030, 3, 11)}, {kPart, 303}, {kOrder, 1}, {kQuantity, 40}};
    Arguments without_user = new_order;
    without_user.emplace_back(kUser, Variant());
    const std::vector<Call> calls{
        {"gInclui_Campos_PEDIDO",
         {{kStatus, Variant()}, {kNumber, "PRG-'9"}, {kSupplier, 102.5}, {kClient, 202}}},
        {"gInclui_Campos_PEDIDO", new_order, 10, orders_behind},
        {"gInclui_Campos_PEDIDO", new_order},
        {"gInclui_Campos_PEDIDO", without_user, 10},
        {"gAltera_Campos_PEDIDO",
         {{kOrder, 99}, {kStatus, 2.5}, {kNumber, "PRG-0099"}, {kSupplier, 101}, {kClient, 201}}},
        {"gAltera_Campos_PEDIDO",
         {{kOrder, "3"}, {kNumber, "PRG-0003"}, {kSupplier, 101.5}, {kClient, 202}, {kUser, Variant()}}},
        {"gExclui_Campos_PEDIDO", {{kOrder, 2.5}}},
        {"gExclui_Campos_PEDIDO", {{kOrder, 98}}},
        {"gInclui_Campos_PEDIDO_ITEM",
         {{kShipping, day(2030, 3, 10, 10, 30)}, {kPart, 302.5}, {kOrder, "1.5"}, {kQuantity, 2.5}}},
        {"gInclui_Campos_PEDIDO_ITEM", new_item, 10, items_behind},
        {"gInclui_Campos_PEDIDO_ITEM", new_item},
        {"gAltera_Campos_PEDIDO_ITEM",
         {{kItem, 7}, {kShipping, day(2030, 3, 12, 15, 45)}, {kPart, 303}, {kOrder, 1}, {kQuantity, 7.5}}},
        {"gExclui_Campos_PEDIDO_ITEM", {{kItem, 97}}},
        {"gExclui_Campos_PEDIDO_ITEM", {{kItem, 1.5}}},
    };

    const std::vector<std::pair<Variant, const TestDatabase*>> dialects{
        {object_holding(oracle()), &inline_db}, {"SQLSERVER", &procedures_db}};
    for (const auto& [kind, database] : dialects) {
        connection = Variant(automation::ObjectPtr(database->connect()));
        for (const Call& call : calls) {
            if (!call.before.empty())
                database->exec(call.before);
            Arguments arguments = call.arguments;
            EXPECT_EQ(invoke(call.method, arguments, kind), Variant::integer(call.result))
                << call.method << " in " << automation::to_text(kind);
        }
    }

    // Compared as values, so that a number stored as REAL where an INTEGER
    // belongs shows.
    for (const std::string sql :
         {"SELECT PEDIDO_ID, EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID "
          "FROM PEDIDO ORDER BY PEDIDO_ID",
          "SELECT * FROM PEDIDO_ITEM ORDER BY PEDIDO_ITEM_ID",
          "SELECT * FROM Infra_Chave ORDER BY NOME_COLUNA",
          "SELECT OPERACAO_ID, ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao "
          "ORDER BY OPERACAO_ID"})
        EXPECT_EQ(inline_db.rows(sql), procedures_db.rows(sql)) << sql;

    // What the calls left, the same in both.
    EXPECT_EQ(rows("SELECT * FROM PEDIDO WHERE PEDIDO_ID >= 2 ORDER BY PEDIDO_ID"),
              (Lines{"2|1|2|PRG-0002|102|202", "3|1|1|PRG-0003|102|202", "4|1|1|PRG-'9|102|202",
                     "5|1|1|PRG-0010|103|201"}));
    EXPECT_EQ(rows("SELECT * FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 2 OR PEDIDO_ITEM_ID >= 6 ORDER BY 1"),
              (Lines{"2|1|302|15/01/2030 14:30:00|50|2", "6|2|302|10/03/2030 10:30:00|2|509",
                     "7|1|303|12/03/2030 15:45:00|8|509"}));
    EXPECT_EQ(rows("SELECT * FROM Infra_Chave ORDER BY NOME_COLUNA"),
              (Lines{"PEDIDO_ID|5", "PEDIDO_ITEM_ID|7"}));
    EXPECT_EQ(operations(), (Lines{"172|1|7|4", "172|1|7|5", "172|2|7|99", "172|2|0|3", "260|1|7|6",
                                   "260|1|7|7", "260|2|7|7"}));
    EXPECT_EQ(
        procedures_db.row_texts("SELECT PEDIDO_ID, Cliente_ID FROM PEDIDO WHERE PEDIDO_ID >= 3 ORDER BY 1"),
        (Lines{"3|201", "4|NULL", "5|NULL"}));
}

}  // namespace
}  // namespace zolt::test
