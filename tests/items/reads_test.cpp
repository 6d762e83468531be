// Reading items: one item, its status, and an order's items as arrays.
#include "tests/items/item_test.h"

namespace zolt::test {
namespace {

const std::string kStatusSelect =
    " SELECT  PEDIDO_ITEM.DATA_EMBARQUE ,  PEDIDO_ITEM.PECA_ID ,  PEDIDO_ITEM.PEDIDO_ID ,  "
    "PEDIDO_ITEM.PEDIDO_ITEM_ID ,  PEDIDO_ITEM.QTDE_PEDIDA ,  PEDIDO_ITEM.TAB_STATUS_ID   FROM  PEDIDO_ITEM   WHERE ";

// The items of an array indexed from 0.
std::vector<Variant> elements(const Variant& array) {
    EXPECT_TRUE(array.is_array());
    if (!array.is_array())
        return {};
    EXPECT_EQ(array.array().lower_bound, 0);
    return array.array().items;
}

// Item 2 ships at 14:30 on its day: the date alone comes back. Missing items,
// deleted ones (4) and those of an inactive part (5) are not found.
TEST_P(Items, ItemQueryReadsOneLiveItemInBothDialects) {
    const std::vector<std::pair<Variant, std::string>> dialects{
        {sql_server(), "EXEC SP_QBX_CON_PEDIDO_ITEM_OLT1   2"},
        {oracle(),
         " SELECT  PEDIDO_ITEM.DATA_EMBARQUE ,  PEDIDO_ITEM.PECA_ID ,  PEDIDO_ITEM.PEDIDO_ID ,  "
         "PEDIDO_ITEM.PEDIDO_ITEM_ID ,  PEDIDO_ITEM.QTDE_PEDIDA ,  PEDIDO_ITEM.TAB_STATUS_ID ,  PECA.COD_PECA  FROM  "
         "PEDIDO_ITEM , PECA  WHERE  PEDIDO_ITEM.PECA_ID = PECA.PECA_ID  AND PEDIDO_ITEM.PEDIDO_ITEM_ID =  2  AND "
         "PEDIDO_ITEM.TAB_STATUS_ID IN ( 509 , 510 )  AND PECA.TAB_STATUS_ID = 1 "}};
    for (const auto& [kind, statement] : dialects) {
        date = part = order = quantity = code = Variant("-");
        for (int missing : {999, 4, 5}) {
            EXPECT_EQ(query(Variant::long_(missing), kind), Variant::integer(10)) << missing;
            EXPECT_EQ(message, Variant("Não foi encontrado o pedido informado."));
            EXPECT_EQ((std::vector<Variant>{date, part, order, quantity, code}), std::vector<Variant>(5, Variant("-")));
        }
        message = Variant("as passed");
        EXPECT_EQ(traced_texts([&] { EXPECT_EQ(query(Variant::long_(2), kind), Variant::integer(0)); }),
                  Lines{statement});
        EXPECT_EQ((std::vector<Variant>{date, part, order, quantity, code}),
                  (std::vector<Variant>{Variant("15/01/2030"), Variant::long_(302), Variant::long_(1),
                                        Variant::long_(50), Variant("PC-1002")}));
        EXPECT_EQ(message, Variant("as passed"));
    }
}

// One SELECT whatever the kind; it finds items in any state, deleted ones too.
TEST_P(Items, StatusQueryFindsItemsInAnyState) {
    for (const Variant& kind : {oracle(), sql_server()}) {
        EXPECT_EQ(traced_texts([&] { EXPECT_EQ(status(Variant::long_(4), kind), Variant::integer(0)); }),
                  Lines{kStatusSelect + " PEDIDO_ITEM.PEDIDO_ITEM_ID =  4 "});
        EXPECT_EQ(status_id, Variant::long_(2));
        EXPECT_EQ(message, Variant("as passed"));
    }
    status_id = Variant("-");
    EXPECT_EQ(status(Variant::long_(999), oracle()), Variant::integer(10));
    EXPECT_EQ(message, Variant("Não foi encontrado o item do pedido informado."));
    EXPECT_EQ(status_id, Variant("-"));
}

// Item 6 has no shipping date; item 7 is deleted and 5 of an inactive part.
// The list reads the part code as a number: codes that are not numbers give 0.
// An order with nothing to list answers a count of 0 and leaves the arrays.
TEST_P(Items, ListsTheLiveItemsOfActivePartsAsParallelArrays) {
    add_item(6, 1, 303, "2030-02-10 00:00:00", 509);
    db->exec("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = NULL WHERE PEDIDO_ITEM_ID = 6");
    add_item(7, 1, 303, "2030-02-11 00:00:00", 2);
    const std::vector<std::pair<Variant, std::string>> dialects{
        {sql_server(), "EXEC SP_QBX_CON_LIS_PED_ITEM_OLT1   1"},
        {oracle(),
         " SELECT  PEDIDO_ITEM.DATA_EMBARQUE ,  PEDIDO_ITEM.PECA_ID ,  PEDIDO_ITEM.PEDIDO_ID ,  "
         "PEDIDO_ITEM.PEDIDO_ITEM_ID ,  PEDIDO_ITEM.QTDE_PEDIDA ,  PEDIDO_ITEM.TAB_STATUS_ID ,  PECA.COD_PECA  FROM  "
         "PEDIDO_ITEM , PECA  WHERE  PEDIDO_ITEM.PECA_ID = PECA.PECA_ID  AND PEDIDO_ITEM.PEDIDO_ID =  1  AND "
         "PEDIDO_ITEM.TAB_STATUS_ID IN ( 509 , 510 )  AND PECA.TAB_STATUS_ID = 1 "}};
    for (const auto& [kind, statement] : dialects) {
        dates = parts = orders = items = quantities = codes = Variant("-");
        for (int nothing_to_list : {3, 999}) {  // a deleted order's items, no order
            EXPECT_EQ(list(Variant::long_(nothing_to_list), kind), Variant::integer(0));
            EXPECT_EQ(size, Variant::integer(0));
            EXPECT_EQ((std::vector<Variant>{dates, parts, orders, items, quantities, codes}),
                      std::vector<Variant>(6, Variant("-")));
        }
        EXPECT_EQ(traced_texts([&] { EXPECT_EQ(list(Variant::long_(1), kind), Variant::integer(0)); }),
                  Lines{statement});
        EXPECT_EQ(size, Variant::long_(3));
        EXPECT_EQ(elements(dates), (std::vector<Variant>{Variant("15/01/2030"), Variant("15/01/2030"), Variant("")}));
        EXPECT_EQ(elements(parts),
                  (std::vector<Variant>{Variant::long_(301), Variant::long_(302), Variant::long_(303)}));
        EXPECT_EQ(elements(orders), std::vector<Variant>(3, Variant::long_(1)));
        EXPECT_EQ(elements(items), (std::vector<Variant>{Variant::long_(1), Variant::long_(2), Variant::long_(6)}));
        EXPECT_EQ(elements(quantities),
                  (std::vector<Variant>{Variant::long_(100), Variant::long_(50), Variant::long_(1)}));
        EXPECT_EQ(elements(codes), std::vector<Variant>(3, Variant::long_(0)));
        EXPECT_EQ(message, Variant("as passed"));
    }
}

}  // namespace
}  // namespace zolt::test
