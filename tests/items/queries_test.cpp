// Reading items: one item, its status, and an order's items as arrays.
#include "tests/items/item_test.h"

namespace zolt::test {
namespace {

using automation::Array;

const std::string kItemSelect =
    " SELECT  PEDIDO_ITEM.DATA_EMBARQUE ,  PEDIDO_ITEM.PECA_ID ,  PEDIDO_ITEM.PEDIDO_ID ,  "
    "PEDIDO_ITEM.PEDIDO_ITEM_ID ,  PEDIDO_ITEM.QTDE_PEDIDA ,  PEDIDO_ITEM.TAB_STATUS_ID ,  PECA.COD_PECA  FROM  "
    "PEDIDO_ITEM , PECA  WHERE  PEDIDO_ITEM.PECA_ID = PECA.PECA_ID  AND PEDIDO_ITEM.PEDIDO_ITEM_ID =  2  AND "
    "PEDIDO_ITEM.TAB_STATUS_ID IN ( 509 , 510 )  AND PECA.TAB_STATUS_ID = 1 ";
const std::string kListSelect =
    " SELECT  PEDIDO_ITEM.DATA_EMBARQUE ,  PEDIDO_ITEM.PECA_ID ,  PEDIDO_ITEM.PEDIDO_ID ,  "
    "PEDIDO_ITEM.PEDIDO_ITEM_ID ,  PEDIDO_ITEM.QTDE_PEDIDA ,  PEDIDO_ITEM.TAB_STATUS_ID ,  PECA.COD_PECA  FROM  "
    "PEDIDO_ITEM , PECA  WHERE  PEDIDO_ITEM.PECA_ID = PECA.PECA_ID  AND PEDIDO_ITEM.PEDIDO_ID =  1  AND "
    "PEDIDO_ITEM.TAB_STATUS_ID IN ( 509 , 510 )  AND PECA.TAB_STATUS_ID = 1 ";
const std::string kStatusSelectPrefix =
    " SELECT  PEDIDO_ITEM.DATA_EMBARQUE ,  PEDIDO_ITEM.PECA_ID ,  PEDIDO_ITEM.PEDIDO_ID ,  "
    "PEDIDO_ITEM.PEDIDO_ITEM_ID ,  PEDIDO_ITEM.QTDE_PEDIDA ,  PEDIDO_ITEM.TAB_STATUS_ID   FROM  PEDIDO_ITEM   WHERE ";

// The outputs of the item query, each starting as a marker that shows whether it was written.
struct ItemOutputs {
    Variant date{"-"}, part{"-"}, order{"-"}, quantity{"-"}, code{"-"}, message{"as passed"}, result;
};

class ItemQueries : public ItemTest {
protected:
    ItemOutputs query(Variant item_id, Variant kind) {
        ItemOutputs out;
        Variant user = Variant::long_(2);
        EXPECT_EQ(zolt().gConsulta_Campos_PEDIDO_ITEM(item_id, out.date, out.part, out.order, out.quantity, out.code,
                                                      user, connection, out.message, kind, out.result),
                  com::S_OK);
        return out;
    }
    Variant status(Variant item_id, Variant kind, Variant& status_id, Variant& message,
                   Variant user = Variant::long_(2)) {
        Variant result;
        EXPECT_EQ(zolt().gConsulta_Status_PEDIDO_ITEM(item_id, status_id, user, connection, message, kind, result),
                  com::S_OK);
        return result;
    }
};

TEST_F(ItemQueries, ItemQueryReadsOneLiveItemInBothDialects) {
    const std::vector<std::pair<Variant, std::string>> dialects{{sql_server(), "EXEC SP_QBX_CON_PEDIDO_ITEM_OLT1   2"},
                                                                {oracle(), kItemSelect}};
    for (const auto& [kind, statement] : dialects) {
        ItemOutputs out;
        EXPECT_EQ(traced_texts([&] { out = query(Variant::long_(2), kind); }), std::vector<std::string>{statement});
        EXPECT_EQ(out.result, Variant::integer(0));
        EXPECT_EQ(out.date, Variant("15/01/2030"));  // 14:30 on the day: the date alone
        EXPECT_EQ(out.part, Variant::long_(302));
        EXPECT_EQ(out.order, Variant::long_(1));
        EXPECT_EQ(out.quantity, Variant::long_(50));
        EXPECT_EQ(out.code, Variant("PC-1002"));
        EXPECT_EQ(out.message, Variant("as passed"));
    }
}

TEST_F(ItemQueries, ItemQueryTreatsMissingDeletedAndInactivePartItemsAlikeAndKeepsNullDatesEmpty) {
    db.exec("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = NULL WHERE PEDIDO_ITEM_ID = 1");
    for (const Variant& kind : {sql_server(), oracle()}) {
        for (int item : {999, 4, 5}) {
            const ItemOutputs out = query(Variant::long_(item), kind);
            EXPECT_EQ(out.result, Variant::integer(10)) << item;
            EXPECT_EQ(out.message, Variant("Não foi encontrado o pedido informado."));
            for (const Variant& output : {out.date, out.part, out.order, out.quantity, out.code})
                EXPECT_EQ(output, Variant("-"));
        }
        EXPECT_EQ(query(Variant::long_(1), kind).date, Variant(""));
    }
}

TEST_F(ItemQueries, StatusQuerySendsOneSelectWhateverTheKindAndFindsItemsInAnyState) {
    for (const Variant& kind : {oracle(), sql_server(), Variant("oracle"), Variant()}) {
        Variant status_id, message("as passed");
        Variant result;
        EXPECT_EQ(traced_texts([&] { result = status(Variant::long_(4), kind, status_id, message); }),
                  std::vector<std::string>{kStatusSelectPrefix + " PEDIDO_ITEM.PEDIDO_ITEM_ID =  4 "});
        EXPECT_EQ(result, Variant::integer(0));
        EXPECT_EQ(status_id, Variant::long_(2));
        EXPECT_EQ(message, Variant("as passed"));
    }
    Variant status_id("-"), message;
    EXPECT_EQ(status(Variant::long_(999), oracle(), status_id, message), Variant::integer(10));
    EXPECT_EQ(message, Variant("Não foi encontrado o item do pedido informado."));
    EXPECT_EQ(status_id, Variant("-"));
}

TEST_F(ItemQueries, AnErrorKeepsTheStatementAsFarAsItWasBuiltForTheFirstUser) {
    ScopedClass failing(outside::clsid::kSqlFormatter, failing_formatter_class("Formatador falhou"));
    on_new_thread([&] {
        Variant status_id, message;
        EXPECT_EQ(status(Variant::long_(1), sql_server(), status_id, message, Variant::long_(1)), Variant::integer(10));
        EXPECT_EQ(message.text(), kItemUnavailable +
                                      " - TvrZOLT.gConsulta_Status_PEDIDO_ITEM. ( Formatador falhou :  "
                                      "No Nº 20) " +
                                      kStatusSelectPrefix);
        EXPECT_EQ(status(Variant::long_(1), sql_server(), status_id, message, Variant("3")), Variant::integer(10));
        EXPECT_EQ(message.text(), kItemUnavailable);
    });
}

class ItemList : public ItemTest {
protected:
    Variant dates{"-"}, parts{"-"}, orders{"-"}, items{"-"}, quantities{"-"}, codes{"-"}, size{"-"};
    Variant message{"as passed"};

    Variant list(Variant order, Variant kind) {
        Variant user = Variant::long_(2), result;
        EXPECT_EQ(zolt().gConsulta_Campos_LIS_PEDIDO_ITEM(order, dates, parts, orders, items, quantities, codes, size,
                                                          user, connection, message, kind, result),
                  com::S_OK);
        return result;
    }
    static std::vector<Variant> elements(const Variant& array) {
        EXPECT_TRUE(array.is_array());
        if (!array.is_array())
            return {};
        EXPECT_EQ(array.array().lower_bound, 0);
        return array.array().items;
    }
};

TEST_F(ItemList, ListsTheLiveItemsOfActivePartsAsParallelArrays) {
    add_item(6, 1, 303, "2030-02-10", 509);
    db.exec("UPDATE PEDIDO_ITEM SET DATA_EMBARQUE = NULL WHERE PEDIDO_ITEM_ID = 6");
    add_item(7, 1, 303, "2030-02-11", 2);  // deleted: not listed
    const std::vector<std::pair<Variant, std::string>> dialects{{sql_server(), "EXEC SP_QBX_CON_LIS_PED_ITEM_OLT1   1"},
                                                                {oracle(), kListSelect}};
    for (const auto& [kind, statement] : dialects) {
        Variant result;
        EXPECT_EQ(traced_texts([&] { result = list(Variant::long_(1), kind); }), std::vector<std::string>{statement});
        EXPECT_EQ(result, Variant::integer(0));
        EXPECT_EQ(size, Variant::long_(3));
        EXPECT_EQ(elements(dates), (std::vector<Variant>{Variant("15/01/2030"), Variant("15/01/2030"), Variant("")}));
        EXPECT_EQ(elements(parts),
                  (std::vector<Variant>{Variant::long_(301), Variant::long_(302), Variant::long_(303)}));
        EXPECT_EQ(elements(orders), std::vector<Variant>(3, Variant::long_(1)));
        EXPECT_EQ(elements(items), (std::vector<Variant>{Variant::long_(1), Variant::long_(2), Variant::long_(6)}));
        EXPECT_EQ(elements(quantities),
                  (std::vector<Variant>{Variant::long_(100), Variant::long_(50), Variant::long_(1)}));
        // The list reads the part code as a number: codes that are not numbers give 0.
        EXPECT_EQ(elements(codes), std::vector<Variant>(3, Variant::long_(0)));
        EXPECT_EQ(message, Variant("as passed"));
    }
}

TEST_F(ItemList, AnOrderWithNothingToListAnswersCountZeroAndLeavesTheArrays) {
    for (const Variant& kind : {sql_server(), oracle()}) {
        for (int order : {3, 999}) {
            EXPECT_EQ(list(Variant::long_(order), kind), Variant::integer(0));
            EXPECT_EQ(size, Variant::integer(0));
            for (const Variant& array : {dates, parts, orders, items, quantities, codes})
                EXPECT_EQ(array, Variant("-"));
            EXPECT_EQ(message, Variant("as passed"));
        }
    }
}

TEST_F(ItemList, OneItemGivesArraysWithTheSingleIndexZero) {
    EXPECT_EQ(list(Variant::long_(2), oracle()), Variant::integer(0));
    EXPECT_EQ(size, Variant::long_(1));
    EXPECT_EQ(elements(items), std::vector<Variant>{Variant::long_(3)});
    EXPECT_EQ(elements(dates), std::vector<Variant>{Variant("01/02/2030")});
}

}  // namespace
}  // namespace zolt::test
