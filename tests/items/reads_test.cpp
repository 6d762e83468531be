// Reading items: one item, its status, and an order's items as arrays.
#include "tests/support/helpers.h"

namespace zolt::test {
namespace {

const std::string kItemSelect =
    " SELECT  PEDIDO_ITEM.DATA_EMBARQUE ,  PEDIDO_ITEM.PECA_ID ,  PEDIDO_ITEM.PEDIDO_ID ,  "
    "PEDIDO_ITEM.PEDIDO_ITEM_ID ,  PEDIDO_ITEM.QTDE_PEDIDA ,  PEDIDO_ITEM.TAB_STATUS_ID ";
const std::string kLiveItemsOfActiveParts =
    "  AND PEDIDO_ITEM.TAB_STATUS_ID IN ( 509 , 510 )  AND PECA.TAB_STATUS_ID = 1 ";

// Item 2 ships at 14:30 on its day: the date alone comes back. Missing items,
// deleted ones (4) and those of an inactive part (5) are not found.
TEST_P(Items, ItemQueryReadsOneLiveItemInBothDialects) {
    const std::vector<std::pair<Variant, std::string>> dialects{
        {sql_server(), "EXEC SP_QBX_CON_PEDIDO_ITEM_OLT1   2"},
        {oracle(), kItemSelect +
                       ",  PECA.COD_PECA  FROM  PEDIDO_ITEM , PECA  WHERE  PEDIDO_ITEM.PECA_ID = "
                       "PECA.PECA_ID  AND PEDIDO_ITEM.PEDIDO_ITEM_ID =  2" +
                       kLiveItemsOfActiveParts}};
    for (const auto& [kind, statement] : dialects) {
        auto query = [&](int id) {
            Arguments arguments = unset({"OutVntData_Embarque", "OutVntPeca_ID", "OutVntPedido_ID",
                                         "OutVntQtde_Pedida", "OutVntCod_Peca"});
            arguments.emplace_back(kItem, Variant::long_(id));
            const Variant result = invoke("gConsulta_Campos_PEDIDO_ITEM", arguments, kind);
            return std::pair{result, outputs(arguments)};
        };
        for (int missing : {999, 4, 5}) {
            EXPECT_EQ(query(missing), std::pair(Variant::integer(10), std::vector<Variant>(5, kAsPassed)));
            EXPECT_EQ(message, Variant("Não foi encontrado o pedido informado."));
        }
        std::pair<Variant, std::vector<Variant>> answer;
        EXPECT_EQ(traced([&] { answer = query(2); }), (Trace{{statement, false}}));
        EXPECT_EQ(answer,
                  std::pair(Variant::integer(0), std::vector<Variant>{"15/01/2030", 302, 1, 50, "PC-1002"}));
        EXPECT_EQ(message, kAsPassed);
    }
}

// One SELECT whatever the kind; it finds items in any state, deleted ones too.
TEST_P(Items, StatusQueryFindsItemsInAnyState) {
    auto status = [&](int id, const Variant& kind) {
        Arguments arguments{{kItem, Variant::long_(id)}, {"OutVntTab_Status_ID", kAsPassed}};
        const Variant result = invoke("gConsulta_Status_PEDIDO_ITEM", arguments, kind);
        return std::pair{result, outputs(arguments).at(0)};
    };
    for (const Variant& kind : {oracle(), sql_server()}) {
        std::pair<Variant, Variant> answer;
        EXPECT_EQ(
            traced([&] { answer = status(4, kind); }),
            (Trace{{kItemSelect + "  FROM  PEDIDO_ITEM   WHERE  PEDIDO_ITEM.PEDIDO_ITEM_ID =  4 ", false}}));
        EXPECT_EQ(answer, std::pair(Variant::integer(0), Variant::long_(2)));
        EXPECT_EQ(message, kAsPassed);
    }
    EXPECT_EQ(status(999, oracle()), std::pair(Variant::integer(10), kAsPassed));
    EXPECT_EQ(message, Variant("Não foi encontrado o item do pedido informado."));
}

// Item 6 has no shipping date; item 7 is deleted and 5 of an inactive part.
// The list reads the part code as a number: codes that are not numbers give 0.
// An order with nothing to list (here a deleted one) answers a count of 0 and
// leaves the arrays.
TEST_P(Items, ListsTheLiveItemsOfActivePartsAsParallelArrays) {
    db->exec(
        "INSERT INTO PEDIDO_ITEM VALUES (6, 1, 303, NULL, 1, 509), "
        "(7, 1, 303, {ts '2030-02-11 00:00:00'}, 1, 2)");
    const std::vector<std::pair<Variant, std::string>> dialects{
        {sql_server(), "EXEC SP_QBX_CON_LIS_PED_ITEM_OLT1   1"},
        {oracle(), kItemSelect +
                       ",  PECA.COD_PECA  FROM  PEDIDO_ITEM , PECA  WHERE  PEDIDO_ITEM.PECA_ID = "
                       "PECA.PECA_ID  AND PEDIDO_ITEM.PEDIDO_ID =  1" +
                       kLiveItemsOfActiveParts}};
    auto array = [](std::vector<Variant> items) { return Variant(automation::Array{0, std::move(items)}); };
    for (const auto& [kind, statement] : dialects) {
        auto list = [&](int order) {
            Arguments arguments = unset({"OutArrVntData_Embarque", "OutArrVntPeca_ID", "OutArrVntPedido_ID",
                                         "OutArrVntPedido_Item_ID", "OutArrVntQtde_Pedida",
                                         "OutArrVntCod_Peca", "OutVntTam_Arr_Resposta"});
            arguments.emplace_back(kOrder, Variant::long_(order));
            EXPECT_EQ(invoke("gConsulta_Campos_LIS_PEDIDO_ITEM", arguments, kind), Variant::integer(0));
            EXPECT_EQ(message, kAsPassed);
            return outputs(arguments);
        };
        std::vector<Variant> nothing(6, kAsPassed);
        nothing.push_back(Variant::integer(0));
        EXPECT_EQ(list(3), nothing);
        std::vector<Variant> answer;
        EXPECT_EQ(traced([&] { answer = list(1); }), (Trace{{statement, false}}));
        const Variant one = Variant::long_(1);
        EXPECT_EQ(answer,
                  (std::vector<Variant>{array({"15/01/2030", "15/01/2030", ""}), array({301, 302, 303}),
                                        array({one, one, one}), array({one, 2, 6}), array({100, 50, one}),
                                        array(std::vector<Variant>(3, Variant::long_(0))), 3}));
    }
}

}  // namespace
}  // namespace zolt::test
