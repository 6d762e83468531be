// The duplicate-part check and the supplier's confirmed shipping days.
#include "tests/items/item_test.h"

namespace zolt::test {
namespace {

using ItemChecks = ItemTest;

ItemCall part_in_order(Variant item_id, int part, int order) {
    ItemCall c;
    c.item_id = std::move(item_id);
    c.part = Variant::long_(part);
    c.order = Variant::long_(order);
    return c;
}

TEST_F(ItemChecks, DuplicateCheckSendsPartOrderItemInEachDialect) {
    const std::vector<std::tuple<Variant, Variant, std::string>> cases{
        {sql_server(), Variant(), "EXEC SP_QBX_DUP_PEDIDO_ITEM_OLT1   301, 1, NULL"},
        {sql_server(), Variant::long_(1), "EXEC SP_QBX_DUP_PEDIDO_ITEM_OLT1   301, 1, 1"},
        {oracle(), Variant(),
         " SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO_ITEM  WHERE  PECA_ID =  301 AND  PEDIDO_ID =  1  "
         "And Tab_Status_ID IN ( 509 , 510 )"},
        {oracle(), Variant::long_(1),
         " SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO_ITEM  WHERE  PECA_ID =  301 AND  PEDIDO_ID =  1 AND  "
         "PEDIDO_ITEM_ID <>  1  And Tab_Status_ID IN ( 509 , 510 )"},
    };
    for (const auto& [kind, item_id, statement] : cases) {
        ItemCall c = part_in_order(item_id, 301, 1);
        EXPECT_EQ(traced_texts([&] { part_free(c, kind); }), std::vector<std::string>{statement});
    }
}

TEST_F(ItemChecks, APartStandsOnAtMostOneLiveItemOfAnOrder) {
    struct Case {
        Variant item_id;
        int part, order;
        bool free;
    };
    const std::vector<Case> cases{
        {Variant(), 301, 1, false},          // new item, part on live item 1
        {Variant::long_(0), 302, 1, false},  // new item, part on confirmed item 2
        {Variant::long_(1), 301, 1, true},   // item 1 keeping its own part
        {Variant::long_(1), 302, 1, false},  // item 1 taking the part of item 2
        {Variant(), 303, 2, true},           // part only on deleted item 4
        {Variant(), 302, 2, true},           // part in another order
        {Variant::long_(-3), 303, 1, true},
    };
    for (const Variant& kind : {sql_server(), oracle()}) {
        for (const Case& test : cases) {
            ItemCall c = part_in_order(test.item_id, test.part, test.order);
            EXPECT_EQ(part_free(c, kind), test.free) << test.part << "/" << test.order;
            EXPECT_EQ(c.message, Variant(test.free ? "as passed" : "Já existe a peça no pedido informado."));
        }
    }
}

class SupplierDays : public ItemTest {
protected:
    // Supplier 101 owns orders 1 and 3, supplier 102 order 2.
    void SetUp() override {
        add_item(10, 3, 301, "2030-05-05 08:00:00", 510);
        add_item(11, 1, 303, "2030-05-05 23:59:00", 510);
        add_item(12, 1, 301, "2030-05-05 12:00:00", 509);  // new: does not count
        add_item(13, 2, 302, "2030-05-05 00:00:00", 510);  // another supplier
        add_item(14, 1, 302, "2030-05-06 00:00:00", 510);  // the next midnight
    }
    ItemCall on(Variant date, Variant item_id = Variant(), int order = 1) {
        ItemCall c;
        c.date = std::move(date);
        c.item_id = std::move(item_id);
        c.order = Variant::long_(order);
        return c;
    }
    static std::string confirmed(int count) {
        return "Existe(m) " + std::to_string(count) + " peças(s) confirmada(s) para o fornecedor nesta data.";
    }
};

TEST_F(SupplierDays, SendsTheSameTwoSelectsToBothDialects) {
    const std::string count_query =
        " SELECT  Count(PEDIDO_ITEM.PEDIDO_ITEM_ID) As Contador  FROM  PEDIDO_ITEM , Pedido  WHERE "
        "Pedido_Item.Pedido_ID = Pedido.Pedido_ID  And Pedido_Item.Tab_Status_ID = 510  And Pedido.Fornecedor_ID = 101"
        " And Pedido_Item.Data_Embarque >= {ts '2030-05-05 00:00:00'} And Pedido_Item.Data_Embarque < "
        "{ts '2030-05-05 00:00:00'} + 1 ";
    for (const Variant& kind : {oracle(), sql_server()}) {
        ItemCall c = on(day(2030, 5, 5));
        EXPECT_EQ(traced_texts([&] { day_free(c, kind); }),
                  (std::vector<std::string>{" Select Fornecedor_ID From Pedido  Where Pedido_ID = 1 ", count_query}));
        c = on(day(2030, 5, 5), Variant::long_(11));
        EXPECT_EQ(traced_texts([&] { day_free(c, kind); }).back(),
                  count_query + " And PEDIDO_ITEM.PEDIDO_ITEM_ID <>  11 ");
    }
}

TEST_F(SupplierDays, CountsTheSuppliersConfirmedItemsOnTheDay) {
    struct Case {
        Variant date, item_id;
        int order;
        int confirmed;  // 0: the day is free
    };
    const std::vector<Case> cases{
        {day(2030, 5, 5), Variant(), 1, 2},  // items 10 and 11, of two orders of supplier 101
        {day(2030, 5, 5), Variant::long_(0), 3, 2},
        {day(2030, 5, 5), Variant::long_(11), 1, 1},   // the item being changed is left out
        {day(2030, 5, 5), Variant::long_(-11), 1, 2},  // a negative id leaves nothing out
        {day(2030, 5, 5, 12), Variant(), 1, 2},        // the window starts at noon: items 11 and 14
        {day(2030, 5, 7), Variant(), 1, 0},
        {day(2030, 5, 5), Variant(), 2, 1},    // supplier 102: item 13 only
        {day(2030, 5, 5), Variant(), 999, 0},  // no order: supplier 0
    };
    for (const Variant& kind : {oracle(), Variant("qualquer")}) {
        for (const Case& test : cases) {
            ItemCall c = on(test.date, test.item_id, test.order);
            EXPECT_EQ(day_free(c, kind), test.confirmed == 0) << test.order << " " << test.confirmed;
            EXPECT_EQ(c.message, Variant(test.confirmed ? confirmed(test.confirmed) : "as passed"));
        }
    }
}

TEST_F(SupplierDays, ADateTheWriterCannotReadIsAnErrorWithTheLookupInTheTrailer) {
    ItemCall c = on(Variant("não é data"));
    c.user = Variant::long_(1);
    EXPECT_FALSE(day_free(c, sql_server()));
    const std::string text = c.message.text();
    EXPECT_EQ(text.rfind(kItemUnavailable + " - TvrZOLT.mVerifica_Dupli_Pedido_Item_Fornecedor. ( ", 0), 0u) << text;
    EXPECT_NE(text.find(" :  No Nº 90)  SELECT  Count(PEDIDO_ITEM.PEDIDO_ITEM_ID) As Contador "), std::string::npos)
        << text;
    EXPECT_TRUE(text.ends_with(" And Pedido.Fornecedor_ID = 101")) << text;
}

}  // namespace
}  // namespace zolt::test
