// The gate in front of every item write.
#include "tests/items/item_test.h"

namespace zolt::test {
namespace {

using ItemValidation = ItemTest;

std::string server_day() {
    return automation::format(Variant(automation::now()), "dd/mm/yyyy");
}

TEST_F(ItemValidation, TheFirstBadFieldInTheFixedOrderDecides) {
    const std::string lock = "Item do pedido já confirmado. Não é possível a alteração dos dados.";
    using Field = Variant ItemCall::*;
    const Field item = &ItemCall::item_id, order = &ItemCall::order, date = &ItemCall::date, part = &ItemCall::part,
                quantity = &ItemCall::quantity;
    struct Case {
        const char* flag;
        std::vector<std::pair<Field, Variant>> changes;  // made to a new item of order 1
        std::string message;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"A", {{item, Variant()}, {order, Variant()}, {date, Variant()}}, "Informe o Item do Pedido."},
        {"I", {{order, Variant("x")}, {date, Variant()}, {part, Variant()}}, "Informe o pedido."},
        {"I", {{date, day(2001, 1, 1)}, {part, Variant()}, {quantity, Variant()}},
         "O campo Data de Embarque não pode ser anterior a " + server_day() + "."},
        {"I", {{date, Variant("31/02/2030")}}, "O campo Data de Embarque não contém uma data válida."},
        {"I", {{date, Variant::null()}}, "Informe o campo Data de Embarque."},
        {"I", {{part, Variant::long_(0)}, {quantity, Variant()}}, "Informe o código da peça."},
        {"I", {{quantity, Variant::long_(0)}, {part, Variant::long_(301)}}, "O campo Qtde deve ser maior ou igual a 1."},
        {"I", {{part, Variant::long_(301)}, {date, day(2030, 1, 15)}}, "Já existe a peça no pedido informado."},
        {"A", {{item, Variant::long_(2)}, {date, day(2030, 1, 15)}}, lock},
        {"A", {{item, Variant::long_(4)}}, lock},
        {"A", {{item, Variant::long_(999)}}, "Não foi encontrado o item do pedido informado."},
        {"I", {{date, day(2030, 1, 15, 9)}}, "Existe(m) 1 peças(s) confirmada(s) para o fornecedor nesta data."},
        {"A", {{item, Variant::long_(1)}, {part, Variant::long_(301)}}, "as passed"},
    };
    // clang-format on
    for (const Variant& kind : {sql_server(), oracle()}) {
        for (const Case& test : cases) {
            ItemCall c = new_item();
            for (const auto& [field, value] : test.changes)
                c.*field = value;
            EXPECT_EQ(validate(c, kind, Variant(test.flag)), test.message == "as passed") << test.message;
            EXPECT_EQ(c.message, Variant(test.message));
        }
    }
}

TEST_F(ItemValidation, AnUpdateRunsEveryQueryInOrder) {
    ItemCall c = new_item();
    c.item_id = Variant::long_(1);
    const std::vector<std::string> expected{
        "Select Getdate() as Data ",
        "EXEC SP_QBX_DUP_PEDIDO_ITEM_OLT1   303, 1, 1",
        " SELECT  PEDIDO_ITEM.DATA_EMBARQUE ,  PEDIDO_ITEM.PECA_ID ,  PEDIDO_ITEM.PEDIDO_ID ,  "
        "PEDIDO_ITEM.PEDIDO_ITEM_ID ,  PEDIDO_ITEM.QTDE_PEDIDA ,  PEDIDO_ITEM.TAB_STATUS_ID   FROM  PEDIDO_ITEM   "
        "WHERE  PEDIDO_ITEM.PEDIDO_ITEM_ID =  1 ",
        " Select Fornecedor_ID From Pedido  Where Pedido_ID = 1 ",
        " SELECT  Count(PEDIDO_ITEM.PEDIDO_ITEM_ID) As Contador  FROM  PEDIDO_ITEM , Pedido  WHERE "
        "Pedido_Item.Pedido_ID = Pedido.Pedido_ID  And Pedido_Item.Tab_Status_ID = 510  And Pedido.Fornecedor_ID = 101"
        " And Pedido_Item.Data_Embarque >= {ts '2030-03-10 00:00:00'} And Pedido_Item.Data_Embarque < "
        "{ts '2030-03-10 00:00:00'} + 1  And PEDIDO_ITEM.PEDIDO_ITEM_ID <>  1 ",
    };
    EXPECT_EQ(traced_texts([&] { EXPECT_TRUE(validate(c, sql_server(), Variant("A"))); }), expected);
}

TEST_F(ItemValidation, ADeletionChecksTheItemIdAndNothingElse) {
    ItemCall c;
    c.item_id = Variant::long_(2);  // confirmed items may be deleted
    EXPECT_TRUE(traced_texts([&] { EXPECT_TRUE(validate(c, oracle(), Variant(" E "))); }).empty());
    EXPECT_EQ(c.message, Variant("as passed"));
    c.item_id = Variant("dois");
    EXPECT_FALSE(validate(c, oracle(), Variant("E")));
    EXPECT_EQ(c.message, Variant("Informe o Item do Pedido."));
}

TEST_F(ItemValidation, LowerCaseFlagsAreNotRecognised) {
    ItemCall deletion;
    deletion.item_id = Variant::long_(1);
    EXPECT_FALSE(validate(deletion, sql_server(), Variant("e")));  // runs the insertion checks
    EXPECT_EQ(deletion.message, Variant("Informe o pedido."));

    ItemCall update = new_item();  // no item id: neither validated nor locked
    EXPECT_TRUE(validate(update, sql_server(), Variant("a")));
}

TEST_F(ItemValidation, AServerDateFailureStopsBeforeTheShippingDate) {
    db.exec("DELETE FROM Infra_IDS");
    ItemCall c = new_item();
    c.date = Variant("não é data");
    const auto texts = traced_texts([&] { EXPECT_FALSE(validate(c, oracle(), Variant("I"))); });
    EXPECT_EQ(texts, std::vector<std::string>{"Select Sysdate as Data From Infra_IDS "});
    EXPECT_EQ(c.message, Variant("Erro na verificação da data atual."));
}

TEST_F(ItemValidation, AnErrorEndsWithTheTrailerWithoutStatement) {
    ScopedClass failing(outside::clsid::kSqlFormatter, failing_formatter_class("Formatador falhou"));
    on_new_thread([&] {
        ItemCall c = new_item();
        c.user = Variant("1");
        EXPECT_FALSE(validate(c, oracle(), Variant("I")));
        EXPECT_EQ(c.message.text(),
                  kItemUnavailable + " - TvrZOLT.mConsiste_Campos_Pedido_Item. ( Formatador falhou :  No Nº 10) ");
    });
}

}  // namespace
}  // namespace zolt::test
