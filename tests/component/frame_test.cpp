#include "component/frame.h"

#include <gtest/gtest.h>

#include "tests/support/fixture.h"

namespace zolt::component {
namespace {

using automation::AutomationError;
using automation::Array;
using test::ComponentTest;

// What a method's message argument holds after a step numbered 30, with a
// statement under way, raised an error.
std::string message_after_failure(TrailerForm form, const Variant& user_id) {
    Variant message("before");
    Handler handler("mMetodo", kOrderUnavailable, form, user_id, message);
    handler.run_private([&] {
        handler.step(30);
        handler.statement = "EXEC SP_X   1";
        throw AutomationError(6, "Overflow");
    });
    return message.text();
}

// The trailer is for user 1 alone, given as any number or text that reads as 1.
TEST(Handler, WritesTheTrailerInEachFormForTheFirstUserOnly) {
    const std::string order(kOrderUnavailable);
    const std::string public_form = order + " - TvrZOLT.mMetodo. ( Overflow :  No Nº 30) EXEC SP_X   1";
    EXPECT_EQ(message_after_failure(TrailerForm::Public, Variant::long_(1)), public_form);
    EXPECT_EQ(message_after_failure(TrailerForm::Public, Variant(1.0)), public_form);
    EXPECT_EQ(message_after_failure(TrailerForm::Validation, Variant::integer(1)),
              order + " - TvrZOLT.mMetodo. ( Overflow :  No Nº 30) ");
    EXPECT_EQ(message_after_failure(TrailerForm::Emulation, Variant("1")),
              order + " - mMetodo (Overflow :  No Nº 30)EXEC SP_X   1");
    for (const Variant& user : {Variant::long_(2), Variant("um"), Variant(), Variant::null(),
                                Variant(Array{0, {Variant::long_(1)}}), Variant(true)})
        EXPECT_EQ(message_after_failure(TrailerForm::Public, user), kOrderUnavailable);
}

TEST(Handler, TurnsAnyStandardExceptionIntoAHandledError) {
    Variant message;
    const Variant user = Variant::long_(1);
    Handler handler("gMetodo", kItemUnavailable, TrailerForm::Public, user, message);
    const com::HRESULT status = handler.run([&] {
        handler.step(120);
        throw std::out_of_range("fora do intervalo");
    });
    EXPECT_EQ(status, com::S_OK);
    EXPECT_EQ(message.text(), std::string(kItemUnavailable) + " - TvrZOLT.gMetodo. ( fora do intervalo :  No Nº 120) ");
}

TEST(DatabaseKind, OnlyTheExactUpperCaseWordSelectsOracle) {
    EXPECT_TRUE(is_oracle(Variant("ORACLE")));
    for (const Variant& kind : {Variant("oracle"), Variant("ORACLE "), Variant(" ORACLE"), Variant(""), Variant(),
                                Variant::null(), Variant::long_(1), Variant(Array{})})
        EXPECT_FALSE(is_oracle(kind));
}

TEST(ExecText, JoinsArgumentsAfterThreeBlanksAndKeepsWhatWasBuiltOnFailure) {
    std::string statement;
    ExecText exec(statement, "SP_QBX_EXC_PEDIDO_OLT1");
    EXPECT_EQ(statement, "EXEC SP_QBX_EXC_PEDIDO_OLT1   ");
    exec << Variant("15") << Variant::long_(2);
    EXPECT_EQ(statement, "EXEC SP_QBX_EXC_PEDIDO_OLT1   15, 2");
    EXPECT_THROW(exec << Variant::null(), AutomationError);
    EXPECT_EQ(statement, "EXEC SP_QBX_EXC_PEDIDO_OLT1   15, 2");
}

using Frame = ComponentTest;

// RETORNO 0 succeeds and stays on its row for the key; any other value fails
// without a message and closes; a closed or empty answer writes the message.
TEST_F(Frame, ReadsTheProcedureAnswer) {
    struct Case {
        std::string statement;
        bool succeeded;
        int state;
        std::string message;
    };
    const std::vector<Case> cases{
        {"SELECT 0 AS RETORNO, '' AS MSG_RET, 42 AS PEDIDO_ID", true, 1, "as passed"},
        {"SELECT 3 AS RETORNO, 'x' AS MSG_RET", false, 0, "as passed"},
        {"SELECT 0 AS RETORNO, '' AS MSG_RET FROM Infra_IDS WHERE 1 = 0", false, 1, "Falhou."},
        {"UPDATE Infra_IDS SET ID = ID WHERE 1 = 0", false, 0, "Falhou."},
    };
    for (const Case& c : cases) {
        Variant message("as passed");
        auto answer = open_statement(Style::WriteReadBack, c.statement, connection);
        EXPECT_EQ(procedure_succeeded(*answer, message, "Falhou."), c.succeeded) << c.statement;
        EXPECT_EQ(answer->state(), c.state) << c.statement;
        EXPECT_EQ(message, Variant(c.message)) << c.statement;
    }
}

TEST_F(Frame, StatementsRunOnTheCallersConnectionAndEmulatedWritesOnASeparateOne) {
    const auto entries = traced([&] {
        open_statement(Style::Query, "SELECT PEDIDO_ID FROM PEDIDO", connection);
        run_emulated_write("UPDATE PEDIDO SET TAB_STATUS_ID = 2 WHERE PEDIDO_ID = 1", db.connection_string());
    });
    const std::vector<ado::TraceEntry> expected{{"SELECT PEDIDO_ID FROM PEDIDO", false},
                                                {"UPDATE PEDIDO SET TAB_STATUS_ID = 2 WHERE PEDIDO_ID = 1", true}};
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(automation::to_long(db.scalar("SELECT TAB_STATUS_ID FROM PEDIDO WHERE PEDIDO_ID = 1")), 2);
}

// Ids reach an emulation through the number formatter and the 32-bit
// conversion, which rounds halves to even and refuses what does not fit.
TEST_F(Frame, EmulationArgumentsComeFromTheCallersValues) {
    EXPECT_EQ(kind_text(Variant()), "");
    EXPECT_EQ(connection_text(connection), db.connection_string());
    EXPECT_EQ(id_value(Variant("2.5")), 2);
    EXPECT_EQ(id_value(Variant("abc")), 0);
    EXPECT_THROW(id_value(Variant(1e12)), AutomationError);
    EXPECT_EQ(user_text(Variant::long_(1)), Variant("1"));
}

TEST(OutsideComponents, AreKeptPerThreadAndMadeFromTheRegisteredClass) {
    outside::SqlFormatter* first = &outside::formatter();
    EXPECT_EQ(&outside::formatter(), first);
    EXPECT_NE(outside::new_key_generator(), outside::new_key_generator());

    test::ScopedClass failing(outside::clsid::kSqlFormatter, test::failing_formatter_class("Formatador falhou"));
    EXPECT_NO_THROW(outside::formatter().NumberValue(Variant::long_(1)));  // this thread keeps its instance
    test::on_new_thread([&] {
        EXPECT_NE(&outside::formatter(), first);
        EXPECT_THROW(outside::formatter().NumberValue(Variant::long_(1)), AutomationError);
    });
}

}  // namespace
}  // namespace zolt::component
