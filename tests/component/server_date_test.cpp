#include <gtest/gtest.h>

#include "component/frame.h"
#include "tests/support/fixture.h"

namespace zolt::component {
namespace {

const std::string kSysdate = "Select Sysdate as Data From Infra_IDS ";

class ServerDate : public test::ComponentTest {
protected:
    Variant date{"unset"};
    Variant message{"as passed"};
    bool result = true;

    void call(Variant kind, Variant user = Variant::long_(2)) {
        EXPECT_EQ(zolt().gVerifica_Data_Atual(date, user, connection, message, kind, result), com::S_OK);
    }
};

// Only the exact word "ORACLE" asks with Sysdate; the time of day is dropped.
TEST_F(ServerDate, AsksTheServerInEachDialect) {
    const std::string today = automation::format(Variant(automation::now()), "dd/mm/yyyy");
    const std::string getdate = "Select Getdate() as Data ";
    for (const auto& [kind, statement] : std::vector<std::pair<Variant, std::string>>{
             {oracle(), kSysdate}, {Variant("oracle"), getdate}, {Variant(), getdate}}) {
        date = Variant("unset");
        EXPECT_EQ(traced([&] { call(kind); }), (std::vector<ado::TraceEntry>{{statement, false}}));
        EXPECT_TRUE(result) << statement;
        EXPECT_EQ(date, Variant(today)) << statement;
        EXPECT_EQ(message, Variant("as passed")) << statement;
    }
}

// No row answers False with its message. A database error gives the item
// message, with the trailer for the first user only: the statement is chosen
// before anything can fail, so the trailer ends with it.
TEST_F(ServerDate, FailuresAnswerFalseAndLeaveTheDate) {
    db.exec("DELETE FROM Infra_IDS");
    call(oracle());
    EXPECT_FALSE(result);
    EXPECT_EQ(message, Variant("Erro na verificação da data atual."));
    db.exec("DROP TABLE Infra_IDS");
    call(oracle(), Variant::long_(1));
    EXPECT_FALSE(result);
    EXPECT_EQ(message.text(), std::string(kItemUnavailable) + " - TvrZOLT.gVerifica_Data_Atual. ( no such table: "
                                                              "Infra_IDS :  No Nº 20) " + kSysdate);
    call(oracle(), Variant::long_(2));
    EXPECT_EQ(message, Variant(kItemUnavailable));
    EXPECT_EQ(date, Variant("unset"));
}

}  // namespace
}  // namespace zolt::component
