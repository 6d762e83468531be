// The frame every method runs in: its handler and the trailer of a failure.
#include "component/frame.h"
#include "outside/outside.h"
#include "tests/support/helpers.h"

namespace zolt::component {
namespace {

using namespace test;
using automation::Array;

TEST(Handler, TurnsAnyStandardExceptionIntoAHandledError) {
    Variant message;
    const Variant user = Variant::long_(1);
    Handler handler("gMetodo", kItemUnavailable, TrailerForm::Public, user, message);
    const com::HRESULT status = handler.run([&] {
        handler.step(120);
        throw std::out_of_range("fora do intervalo");
    });
    EXPECT_EQ(status, com::S_OK);
    EXPECT_EQ(message.text(),
              std::string(kItemUnavailable) + " - TvrZOLT.gMetodo. ( fora do intervalo :  No Nº 120) ");
}

// A SqlFormatter that answers as the real one until it has written `answered`
// literals (SqlNumber, SqlText or SqlDate); from the next literal on, every
// operation raises error 5 with the given description.
class RefusingFormatter : public outside::SqlFormatter {
public:
    RefusingFormatter(std::shared_ptr<outside::SqlFormatter> real, std::string description, int answered)
        : real_(std::move(real)), description_(std::move(description)), answered_(answered) {}
    Variant NumberValue(Variant value) override { return answering()->NumberValue(value); }
    Variant SqlDate(Variant value) override { return literal()->SqlDate(value); }
    Variant TextValue(Variant value) override { return answering()->TextValue(value); }
    Variant SqlNumber(Variant value) override { return literal()->SqlNumber(value); }
    Variant SqlText(Variant value) override { return literal()->SqlText(value); }

private:
    outside::SqlFormatter* answering() const {
        if (answered_ < 0)
            throw automation::AutomationError(5, description_, "SqlFormatter");
        return real_.get();
    }
    outside::SqlFormatter* literal() {
        --answered_;
        return answering();
    }
    std::shared_ptr<outside::SqlFormatter> real_;
    std::string description_;
    int answered_;
};

using Frame = ComponentTest;

// Every procedure call failing at its first or its last argument:
// the formatter refuses its n-th literal (the validations' duplicate checks
// write the first three). The trailer names the failing piece's step and ends
// with the call as far as it was built: each piece carries its separator, the
// item duplicate check's first piece carries the procedure's name, and a call
// built in one expression shows nothing. An inline emulation's trailer ends
// with its own statement as far as it was built; the validations' end before
// any statement. The trailer is for user 1 alone, given as any number or text
// that reads as 1; other users get the message alone.
TEST_F(Frame, TrailersShowTheStatementAsFarAsItWasBuilt) {
    struct Case {
        std::string method;
        Arguments arguments;
        int answered, step;
        std::string statement;
        std::string emulation = "";  // the inline dialect's, when it is the one that fails
    };
    const Arguments order{{kOrder, 1}}, item{{kItem, 1}};
    const Arguments new_order{{kStatus, 1}, {kNumber, "PRG-0009"}, {kSupplier, 101}, {kClient, 201}};
    const Arguments changed_order = changed(new_order, order), changed_item = changed(new_item(), item);
    const Arguments order_check{{kOrder, 0}, {kNumber, "PRG-0009"}, {kSupplier, 101}};
    const Arguments item_check{{kItem, 0}, {kPart, 303}, {kOrder, 1}};
    const std::string order_check_exec = "EXEC SP_QBX_DUP_PEDIDO_OLT1   ";
    const std::string item_check_exec = "EXEC SP_QBX_DUP_PEDIDO_ITEM_OLT1   ";
    const std::string insert = "EXEC SP_QBX_INC_PEDIDO_OLT1   ", update = "EXEC SP_QBX_ALT_PEDIDO_OLT1   ";
    const std::string insert_item = "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   '2030-03-10T00:00:00', ";
    const std::string update_item = "EXEC SP_QBX_ALT_PEDIDO_ITEM_OLT1   1, '2030-03-10T00:00:00', ";
    const std::vector<Case> cases{
        {"gAltera_Campos_PEDIDO_ITEM", changed_item, 3, 30,
         "UPDATE PEDIDO_ITEM  SET  DATA_EMBARQUE =  {ts '2030-03-10 00:00:00'} , ",
         "mTrataSP_QBX_ALT_PEDIDO_ITEM_OLT1"},
        {"gConsulta_Campos_PEDIDO", order, 0, 40, ""},
        {"gVerifica_Duplicidade_PEDIDO", order_check, 0, 50, order_check_exec},
        {"gVerifica_Duplicidade_PEDIDO", order_check, 2, 70, order_check_exec + "'PRG-0009', 101, "},
        {"gInclui_Campos_PEDIDO", new_order, 3, 60, insert},
        {"gInclui_Campos_PEDIDO", new_order, 6, 90, insert + "1, 'PRG-0009', 101, "},
        {"gAltera_Campos_PEDIDO", changed_order, 3, 60, update},
        {"gAltera_Campos_PEDIDO", changed_order, 7, 100, update + "1, 1, 'PRG-0009', 101, "},
        {"gExclui_Campos_PEDIDO", order, 1, 50, ""},
        {"gConsulta_Campos_PEDIDO_ITEM", item, 0, 40, ""},
        {"gConsulta_Campos_LIS_PEDIDO_ITEM", order, 0, 40, ""},
        {"gVerifica_Duplicidade_PEDIDO_ITEM", item_check, 0, 40, ""},
        {"gVerifica_Duplicidade_PEDIDO_ITEM", item_check, 2, 60, item_check_exec + "303, 1, "},
        {"gInclui_Campos_PEDIDO_ITEM", new_item(), 3, 60, "EXEC SP_QBX_INC_PEDIDO_ITEM_OLT1   "},
        {"gInclui_Campos_PEDIDO_ITEM", new_item(), 8, 110, insert_item + "303, 1, 40, 1, "},
        {"gAltera_Campos_PEDIDO_ITEM", changed_item, 3, 60, "EXEC SP_QBX_ALT_PEDIDO_ITEM_OLT1   "},
        {"gAltera_Campos_PEDIDO_ITEM", changed_item, 9, 120, update_item + "303, 1, 40, 1, "},
        {"gExclui_Campos_PEDIDO_ITEM", item, 1, 50, ""},
        {"mConsiste_Campos_Pedido", {}, -1, 20, ""},
        {"mConsiste_Campos_Pedido_Item", {}, -1, 10, ""},
    };
    const std::vector<Variant> first_user{1, Variant(1.0), "1", object_holding(Variant::integer(1))};
    const std::vector<Variant> other_users{Variant::long_(2),      "um",         Variant(), Variant::null(),
                                           Variant(Array{0, {1}}), Variant(true)};
    const com::ClassFactoryFunction real = com::find_class(outside::clsid::kSqlFormatter);
    for (std::size_t i = 0; i < cases.size() + other_users.size(); ++i) {
        const Case& c = cases[i % cases.size()];
        const bool trailer = i < cases.size();
        // The component makes its formatter once per thread: a new thread takes the refusing one.
        com::register_class(outside::clsid::kSqlFormatter, [&] {
            return std::make_shared<RefusingFormatter>(
                std::dynamic_pointer_cast<outside::SqlFormatter>(real()), "Recusado", c.answered);
        });
        on_new_thread([&] {
            Arguments arguments =
                changed(c.arguments, {{kUser, trailer ? first_user[i % 4] : other_users[i - cases.size()]}});
            const bool emulated = !c.emulation.empty();
            const Variant result = invoke(c.method, arguments, emulated ? oracle() : sql_server());
            EXPECT_TRUE(result == Variant(false) || result == Variant::integer(10)) << c.method;
            const bool item_method = c.method.ends_with("ITEM") || c.method.ends_with("Item");
            const std::string unavailable(emulated      ? kOracleUnavailable
                                          : item_method ? kItemUnavailable
                                                        : kOrderUnavailable);
            const std::string where = emulated ? c.emulation + " (" : "TvrZOLT." + c.method + ". ( ";
            EXPECT_EQ(message, Variant(trailer ? unavailable + " - " + where + "Recusado :  No Nº " +
                                                     std::to_string(c.step) + ") " + c.statement
                                               : unavailable))
                << c.method << " " << c.answered << " " << i;
        });
    }
    com::register_class(outside::clsid::kSqlFormatter, real);
}

}  // namespace
}  // namespace zolt::component
