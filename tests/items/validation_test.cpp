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
    struct Case {
        const char* flag;
        std::function<void(ItemCall&)> spoil;
        std::string message;
    };
    const std::vector<Case> cases{
        {"A",
         [](ItemCall& c) {
             c.item_id = Variant();
             c.order = Variant();
             c.date = Variant();
         },
         "Informe o Item do Pedido."},
        {"I",
         [](ItemCall& c) {
             c.order = Variant("x");
             c.date = Variant();
             c.part = Variant();
         },
         "Informe o pedido."},
        {"I",
         [](ItemCall& c) {
             c.date = day(2001, 1, 1);
             c.part = Variant();
             c.quantity = Variant();
         },
         "O campo Data de Embarque não pode ser anterior a " + server_day() + "."},
        {"I", [](ItemCall& c) { c.date = Variant("31/02/2030"); },
         "O campo Data de Embarque não contém uma data válida."},
        {"I", [](ItemCall& c) { c.date = Variant::null(); }, "Informe o campo Data de Embarque."},
        {"I",
         [](ItemCall& c) {
             c.part = Variant::long_(0);
             c.quantity = Variant();
         },
         "Informe o código da peça."},
        {"I",
         [](ItemCall& c) {
             c.quantity = Variant::long_(0);
             c.part = Variant::long_(301);
         },
         "O campo Qtde deve ser maior ou igual a 1."},
        {"I",
         [](ItemCall& c) {
             c.part = Variant::long_(301);
             c.date = day(2030, 1, 15);
         },
         "Já existe a peça no pedido informado."},
        {"A",
         [](ItemCall& c) {
             c.item_id = Variant::long_(2);
             c.date = day(2030, 1, 15);
         },
         lock},
        {"A", [](ItemCall& c) { c.item_id = Variant::long_(4); }, lock},
        {"A", [](ItemCall& c) { c.item_id = Variant::long_(999); }, "Não foi encontrado o item do pedido informado."},
        {"I", [](ItemCall& c) { c.date = day(2030, 1, 15, 9); },
         "Existe(m) 1 peças(s) confirmada(s) para o fornecedor nesta data."},
        {"A",
         [](ItemCall& c) {
             c.item_id = Variant::long_(1);
             c.part = Variant::long_(301);
         },
         "as passed"},
    };
    for (const Variant& kind : {sql_server(), oracle()}) {
        for (const Case& test : cases) {
            ItemCall c = new_item();
            test.spoil(c);
            const bool passed = validate(c, kind, Variant(test.flag));
            EXPECT_EQ(passed, test.message == "as passed") << test.message;
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
