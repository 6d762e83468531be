// Reading an order, the duplicate check, and the validation in front of every write.
#include "tests/support/helpers.h"

namespace zolt::test {
namespace {

const std::string kDuplicate = "Já existe um pedido para este fornecedor com o número informado.";

// Order 10 has no external number and a supplier without a trade name.
// Deleted orders (3), unknown ids and orders whose supplier has no row in its
// view (12) are not shown. A client missing from its view (11) hides the order
// only in the inline SELECT: orders created through the procedure carry no
// client at all.
TEST_P(Orders, ReadsALiveOrderInBothDialects) {
    db->exec("INSERT INTO PESSOA VALUES (104, NULL, 'F')");
    db->exec(
        "INSERT INTO PEDIDO VALUES (10, 1, 1, NULL, 104, 202), (11, 1, 1, 'SEM-CLI', 101, 999), "
        "(12, 1, 1, 'SEM-FORN', 999, 201)");
    const std::vector<std::pair<Variant, std::string>> dialects{
        {oracle(),
         " SELECT  PEDIDO.PEDIDO_ID ,  PEDIDO.NUM_PEDIDO_EXTERNO ,  PEDIDO.FORNECEDOR_ID,  "
         "VFornecedor.Nome_Fantasia as Fornecedor,  VCliente.Nome_Fantasia as Cliente,  Pedido.Cliente_ID  "
         "FROM  PEDIDO , VFornecedor, VCliente  WHERE  Pedido.Fornecedor_ID = VFornecedor.Fornecedor_ID  "
         "And Pedido.Cliente_ID = VCliente.Pessoa_ID  And PEDIDO.PEDIDO_ID =  1  "
         "AND PEDIDO.TAB_STATUS_ID = 1 "},
        {sql_server(), "EXEC SP_QBX_CON_PEDIDO_OLT1   1"}};
    for (const auto& [kind, statement] : dialects) {
        auto query = [&](int id) {
            Arguments arguments = unset({"OutVntNum_Pedido_Externo", "OutVntFornecedor_ID",
                                         "OutVntFornecedor", "OutVntCliente_ID", "OutVntCliente"});
            arguments.emplace_back(kOrder, Variant::long_(id));
            const Variant result = invoke("gConsulta_Campos_PEDIDO", arguments, kind);
            return std::pair{result, outputs(arguments)};
        };
        std::pair<Variant, std::vector<Variant>> answer;
        EXPECT_EQ(traced([&] { answer = query(1); }), (Trace{{statement, false}}));
        EXPECT_EQ(answer,
                  std::pair(Variant::integer(0), std::vector<Variant>{"PRG-0001", 101, "Metalúrgica Alfa",
                                                                      201, "Planta Curitiba"}));
        EXPECT_EQ(query(10),
                  std::pair(Variant::integer(0), std::vector<Variant>{"", 104, "", 202, "Planta Betim"}));
        EXPECT_EQ(message, kAsPassed);
        EXPECT_EQ(query(11).first, Variant::integer(kind == oracle() ? 10 : 0));
        for (int id : {99, 3, 12}) {
            EXPECT_EQ(query(id), std::pair(Variant::integer(10), std::vector<Variant>(5, kAsPassed))) << id;
            EXPECT_EQ(message, Variant("Não foi encontrado o pedido informado.")) << id;
        }
    }
}

// Sample orders: 1 'PRG-0001' of supplier 101 (live), 3 'PRG-0003' of 101
// (deleted). A new order (no id, or 0) is counted against every live order
// of the supplier; an existing one leaves itself out.
TEST_P(Orders, CountsLiveOrdersOfTheSupplierLeavingOutTheOrderItself) {
    const std::string count = " SELECT COUNT ( * ) AS CONTADOR  FROM PEDIDO  WHERE  NUM_PEDIDO_EXTERNO =  ";
    struct Case {
        Variant kind, id;
        std::string number;
        int supplier;
        std::string statement;
        bool unique;
    };
    const std::vector<Case> cases{
        {oracle(), Variant(), "PRG-0001", 101,
         count + "'PRG-0001' AND  FORNECEDOR_ID =  101  AND TAB_STATUS_ID = 1 ", false},
        {oracle(), 0, "PRG-0003", 101, count + "'PRG-0003' AND  FORNECEDOR_ID =  101  AND TAB_STATUS_ID = 1 ",
         true},
        {oracle(), Variant(), "O'Brien", 102,
         count + "'O''Brien' AND  FORNECEDOR_ID =  102  AND TAB_STATUS_ID = 1 ", true},
        {oracle(), 2, "PRG-0001", 101,
         count + "'PRG-0001' And FORNECEDOR_ID =  101 AND TAB_STATUS_ID = 1  And PEDIDO_ID <>  2 ", false},
        {sql_server(), Variant(), "PRG-0001", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0001', 101, NULL",
         false},
        {sql_server(), 0, "PRG-0003", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0003', 101, 0", true},
        {sql_server(), 1, "PRG-0001", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0001', 101, 1", true},
        {sql_server(), 2, "PRG-0001", 101, "EXEC SP_QBX_DUP_PEDIDO_OLT1   'PRG-0001', 101, 2", false},
    };
    for (const auto& c : cases) {
        Arguments arguments{
            {kOrder, c.id}, {kNumber, Variant(c.number)}, {kSupplier, Variant::long_(c.supplier)}};
        Variant unique;
        EXPECT_EQ(traced([&] { unique = invoke("gVerifica_Duplicidade_PEDIDO", arguments, c.kind); }),
                  (Trace{{c.statement, false}}));
        EXPECT_EQ(unique, Variant(c.unique)) << c.statement;
        EXPECT_EQ(message, c.unique ? kAsPassed : Variant(kDuplicate)) << c.statement;
    }
}

// "A" and "E" (blanks around allowed, letter case not) ask for the order id;
// any other flag is an insertion. A deletion needs the order id alone. The
// fields are checked in order, each refusal before anything is read; the
// duplicate check has the last word. The validation leaves its order id
// output alone.
TEST_P(Orders, TheFirstRefusedFieldDecides) {
    struct Case {
        Variant flag, id, number, supplier, client;
        std::string message;  // "" when accepted
        std::size_t reads;    // statements sent: the duplicate check's
    };
    const Variant number("NOVO-1"), supplier = Variant::long_(101), client = Variant::long_(201);
    const std::vector<Case> cases{
        {" A ", Variant(), number, supplier, client, "Informe o pedido.", 0},
        {"E ", "abc", Variant(), Variant(), Variant(), "Informe o pedido.", 0},
        {"E", 1, Variant(), Variant(), Variant(), "", 0},
        {"e", Variant(), number, supplier, client, "", 1},
        {Variant::null(), Variant(), "   ", supplier, client, "Informe o campo N.º Programação.", 0},
        {"I", Variant(), Variant(std::string(21, 'N')), Variant(), Variant(),
         "O campo N.º Programação deve ter no máximo 20 caracteres.", 0},
        {"I", Variant(), Variant(std::string(20, 'N')), "abc", client, "Informe o fornecedor.", 0},
        {"I", Variant(), number, supplier, 0, "Informe a planta.", 0},
        {"A", 2, "PRG-0001", supplier, client, kDuplicate, 1},
    };
    for (const Variant& kind : {oracle(), sql_server()}) {
        for (const auto& c : cases) {
            Arguments arguments{{kFlag, c.flag},         {kOrder, c.id},      {kNumber, c.number},
                                {kSupplier, c.supplier}, {kClient, c.client}, {"OutVntPedido_ID", kAsPassed}};
            Variant valid;
            EXPECT_EQ(traced([&] { valid = invoke("mConsiste_Campos_Pedido", arguments, kind); }).size(),
                      c.reads)
                << c.message;
            EXPECT_EQ(valid, Variant(c.message.empty())) << c.message;
            EXPECT_EQ(message, c.message.empty() ? kAsPassed : Variant(c.message)) << c.message;
            EXPECT_EQ(outputs(arguments), std::vector<Variant>{kAsPassed});
        }
    }
}

}  // namespace
}  // namespace zolt::test
