// The checks in front of every item write: the duplicate part, the supplier's
// confirmed shipping days, and the validation that runs them.
#include "tests/support/helpers.h"

namespace zolt::test {
namespace {

// The procedure takes part, order, item; the inline count leaves an existing
// item out.
TEST_P(Items, APartStandsOnAtMostOneLiveItemOfAnOrder) {
    const std::string count =
        " SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO_ITEM  WHERE  PECA_ID =  301 AND  PEDIDO_ID =  1 ";
    struct Case {
        Variant item_id;
        int part, order;
        bool free;
        std::string procedure, inline_text;  // "" when not checked
    };
    const std::vector<Case> cases{
        {Variant(), 301, 1, false, "EXEC SP_QBX_DUP_PEDIDO_ITEM_OLT1   301, 1, NULL",
         count + " And Tab_Status_ID IN ( 509 , 510 )"},  // new item, part on live item 1
        {0, 302, 1, false, "", ""},                       // new item, part on confirmed item 2
        {1, 301, 1, true, "EXEC SP_QBX_DUP_PEDIDO_ITEM_OLT1   301, 1, 1",
         count + "AND  PEDIDO_ITEM_ID <>  1  And Tab_Status_ID IN ( 509 , 510 )"},  // item 1 keeping its part
        {1, 302, 1, false, "", ""},         // item 1 taking the part of item 2
        {Variant(), 303, 2, true, "", ""},  // part only on deleted item 4
        {Variant(), 302, 2, true, "", ""},  // part in another order
    };
    for (const Variant& kind : {sql_server(), oracle()}) {
        for (const Case& test : cases) {
            Arguments arguments{{kItem, test.item_id},
                                {kPart, Variant::long_(test.part)},
                                {kOrder, Variant::long_(test.order)}};
            const Trace sent = traced([&] {
                EXPECT_EQ(invoke("gVerifica_Duplicidade_PEDIDO_ITEM", arguments, kind), Variant(test.free));
            });
            if (!test.procedure.empty()) {
                EXPECT_EQ(sent, (Trace{{kind == oracle() ? test.inline_text : test.procedure, false}}));
            }
            EXPECT_EQ(message, test.free ? kAsPassed : Variant("Já existe a peça no pedido informado."));
        }
    }
}

// Supplier 101 owns orders 1 and 3, supplier 102 order 2. Added: confirmed
// items 10 and 11 of supplier 101 on 05/05/2030, a new one (12) that does not
// count, 13 of another supplier, and 14 at the next midnight. The same two
// SELECTs go to both dialects; the day runs from the date given to one day
// later.
TEST_P(Items, CountsTheSuppliersConfirmedItemsOnTheDay) {
    db->exec(
        "INSERT INTO PEDIDO_ITEM VALUES (10, 3, 301, {ts '2030-05-05 08:00:00'}, 1, 510), "
        "(11, 1, 303, {ts '2030-05-05 23:59:00'}, 1, 510), (12, 1, 301, {ts '2030-05-05 12:00:00'}, 1, 509), "
        "(13, 2, 302, {ts '2030-05-05 00:00:00'}, 1, 510), (14, 1, 302, {ts '2030-05-06 00:00:00'}, 1, 510)");
    const std::string count_query =
        " SELECT  Count(PEDIDO_ITEM.PEDIDO_ITEM_ID) As Contador  FROM  PEDIDO_ITEM , Pedido  WHERE "
        "Pedido_Item.Pedido_ID = Pedido.Pedido_ID  And Pedido_Item.Tab_Status_ID = 510  And "
        "Pedido.Fornecedor_ID = 101 And Pedido_Item.Data_Embarque >= {ts '2030-05-05 00:00:00'} And "
        "Pedido_Item.Data_Embarque < {ts '2030-05-05 00:00:00'} + 1 ";
    struct Case {
        Variant date, item_id;
        int order;
        int confirmed;  // 0: the day is free
    };
    const std::vector<Case> cases{
        {day(2030, 5, 5), Variant(), 1, 2},      // items 10 and 11, of two orders of supplier 101
        {day(2030, 5, 5), 11, 1, 1},             // the item being changed is left out
        {day(2030, 5, 5), -11, 3, 2},            // a negative id leaves nothing out
        {day(2030, 5, 5, 12), Variant(), 1, 2},  // the window starts at noon: items 11 and 14
        {day(2030, 5, 7), Variant(), 1, 0},
        {day(2030, 5, 5), Variant(), 2, 1},    // supplier 102: item 13 only
        {day(2030, 5, 5), Variant(), 999, 0},  // no order: supplier 0
    };
    auto day_free = [&](const Variant& item_id, int order, const Variant& date, const Variant& kind) {
        return invoke("mVerifica_Dupli_Pedido_Item_Fornecedor",
                      {{kItem, item_id}, {kOrder, Variant::long_(order)}, {"InVntData", date}}, kind);
    };
    for (const Variant& kind : {oracle(), sql_server()}) {
        EXPECT_EQ(traced([&] { day_free(Variant::long_(11), 1, day(2030, 5, 5), kind); }),
                  (Trace{{" Select Fornecedor_ID From Pedido  Where Pedido_ID = 1 ", false},
                         {count_query + " And PEDIDO_ITEM.PEDIDO_ITEM_ID <>  11 ", false}}));
        for (const Case& test : cases) {
            EXPECT_EQ(day_free(test.item_id, test.order, test.date, kind), Variant(test.confirmed == 0))
                << test.order << " " << test.confirmed;
            EXPECT_EQ(message, test.confirmed
                                   ? Variant("Existe(m) " + std::to_string(test.confirmed) +
                                             " peças(s) confirmada(s) para o fornecedor nesta data.")
                                   : kAsPassed);
        }
    }
    EXPECT_EQ(traced([&] { day_free(Variant(), 1, day(2030, 5, 5), oracle()); }).back().text, count_query);
}

// "A" and "E" ask for the item id (letter case counts, blanks around do not);
// a deletion needs nothing more. The other fields are checked in a fixed
// order; then the duplicate part, the lock on items no longer new, and the
// supplier's confirmed days.
TEST_P(Items, TheFirstBadFieldInTheFixedOrderDecides) {
    const std::string lock = "Item do pedido já confirmado. Não é possível a alteração dos dados.";
    const std::string today = automation::format(Variant(automation::now()), "dd/mm/yyyy");
    struct Case {
        const char* flag;
        Arguments changes;  // made to a new item of order 1
        std::string message;
    };
    const std::vector<Case> cases{
        {"A", {{kItem, Variant()}, {kOrder, Variant()}, {kShipping, Variant()}}, "Informe o Item do Pedido."},
        {"E", {{kItem, "dois"}}, "Informe o Item do Pedido."},
        {" E ", {{kItem, 2}, {kOrder, Variant()}, {kShipping, Variant()}}, "as passed"},
        {"e", {{kItem, 1}, {kOrder, Variant()}}, "Informe o pedido."},
        {"I", {{kOrder, "x"}, {kShipping, Variant()}, {kPart, Variant()}}, "Informe o pedido."},
        {"I",
         {{kShipping, day(2001, 1, 1)}, {kPart, Variant()}, {kQuantity, Variant()}},
         "O campo Data de Embarque não pode ser anterior a " + today + "."},
        {"I", {{kShipping, "31/02/2030"}}, "O campo Data de Embarque não contém uma data válida."},
        {"I", {{kShipping, Variant::null()}}, "Informe o campo Data de Embarque."},
        {"I", {{kPart, 0}, {kQuantity, Variant()}}, "Informe o código da peça."},
        {"I", {{kQuantity, 0}, {kPart, 301}}, "O campo Qtde deve ser maior ou igual a 1."},
        {"I", {{kPart, 301}, {kShipping, day(2030, 1, 15)}}, "Já existe a peça no pedido informado."},
        {"A", {{kItem, 2}, {kShipping, day(2030, 1, 15)}}, lock},
        {"A", {{kItem, 999}}, "Não foi encontrado o item do pedido informado."},
        {"I",
         {{kShipping, day(2030, 1, 15, 9)}},
         "Existe(m) 1 peças(s) confirmada(s) para o fornecedor nesta data."},
        {"a", {{kItem, Variant()}}, "as passed"},  // not an update: no item id needed
        {"A", {{kItem, 1}, {kPart, 301}}, "as passed"},
    };
    for (const Variant& kind : {sql_server(), oracle()}) {
        for (const Case& test : cases) {
            Arguments arguments = changed(new_item(), test.changes);
            arguments.emplace_back(kFlag, Variant(test.flag));
            EXPECT_EQ(invoke("mConsiste_Campos_Pedido_Item", arguments, kind),
                      Variant(test.message == "as passed"))
                << test.message;
            EXPECT_EQ(message, Variant(test.message));
        }
    }
}

// A server date that cannot be read stops the validation with its message.
TEST_P(Items, AServerDateFailureStopsBeforeTheShippingDate) {
    db->exec("DELETE FROM Infra_IDS");
    Arguments arguments = changed(new_item(), {{kShipping, "não é data"}});
    arguments.emplace_back(kFlag, Variant("I"));
    EXPECT_EQ(traced([&] {
                  EXPECT_EQ(invoke("mConsiste_Campos_Pedido_Item", arguments, oracle()), Variant(false));
              }),
              (Trace{{"Select Sysdate as Data From Infra_IDS ", false}}));
    EXPECT_EQ(message, Variant("Erro na verificação da data atual."));
}

}  // namespace
}  // namespace zolt::test
