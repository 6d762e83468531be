#include <gtest/gtest.h>

#include <cstdio>

#include "component/frame.h"
#include "tests/support/fixture.h"

namespace zolt::component {
namespace {

using automation::Array;
using automation::Variant;

const std::string kSysdate = "Select Sysdate as Data From Infra_IDS ";
const std::string kGetdate = "Select Getdate() as Data ";
const Variant kUnset("unset");

std::string today() {
    const auto parts = automation::split_date(automation::now());
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", parts.day, parts.month, parts.year);
    return text;
}

class ServerDate : public test::ComponentTest {
protected:
    Variant date = kUnset;
    Variant message{"as passed"};
    bool result = true;

    com::HRESULT call(Variant kind, Variant user = Variant::long_(2)) {
        return zolt().gVerifica_Data_Atual(date, user, connection, message, kind, result);
    }
};

TEST_F(ServerDate, AsksTheServerInEachDialect) {
    const std::vector<std::pair<Variant, std::string>> cases{
        {oracle(), kSysdate}, {sql_server(), kGetdate}, {Variant("oracle"), kGetdate},
        {Variant("ORACLE "), kGetdate}, {Variant(), kGetdate}};
    for (const auto& [kind, statement] : cases) {
        date = kUnset;
        const auto entries = traced([&] { EXPECT_EQ(call(kind), com::S_OK); });
        EXPECT_EQ(entries, (std::vector<ado::TraceEntry>{{statement, false}}));
        EXPECT_TRUE(result) << statement;
        EXPECT_EQ(date, Variant(today())) << statement;
        EXPECT_EQ(message, Variant("as passed")) << statement;
    }
}

TEST_F(ServerDate, NoRowAnswersFalseWithItsMessage) {
    db.exec("DELETE FROM Infra_IDS");
    EXPECT_EQ(call(oracle()), com::S_OK);
    EXPECT_FALSE(result);
    EXPECT_EQ(message, Variant("Erro na verificação da data atual."));
    EXPECT_EQ(date, kUnset);
}

TEST_F(ServerDate, DatabaseErrorGivesTheItemMessageWithTheTrailerForTheFirstUserOnly) {
    db.exec("DROP TABLE Infra_IDS");
    std::string description;
    try {
        ado::Recordset probe;
        probe.open(Variant(kSysdate), connection);
    } catch (const automation::AutomationError& e) {
        description = e.description();
    }
    ASSERT_FALSE(description.empty());

    EXPECT_EQ(call(oracle(), Variant::long_(1)), com::S_OK);
    EXPECT_FALSE(result);
    EXPECT_EQ(message.text(), std::string(kItemUnavailable) + " - TvrZOLT.gVerifica_Data_Atual. ( " + description +
                                  " :  No Nº 20) " + kSysdate);
    EXPECT_EQ(date, kUnset);

    EXPECT_EQ(call(oracle(), Variant::long_(2)), com::S_OK);
    EXPECT_EQ(message, Variant(kItemUnavailable));
}

TEST_F(ServerDate, FailingFormatterReachesTheHandler) {
    test::ScopedClass failing(outside::clsid::kSqlFormatter, test::failing_formatter_class("Formatador falhou"));
    test::on_new_thread([&] {
        EXPECT_EQ(call(sql_server(), Variant("1")), com::S_OK);
        EXPECT_FALSE(result);
        EXPECT_EQ(message.text(), std::string(kItemUnavailable) +
                                      " - TvrZOLT.gVerifica_Data_Atual. ( Formatador falhou :  No Nº 40) " + kGetdate);
        EXPECT_EQ(date, kUnset);
    });
}

TEST_F(ServerDate, OddValuesInAnyArgumentNeverEscape) {
    const std::vector<Variant> odd{Variant(Array{0, {Variant::long_(1)}}), Variant(automation::ObjectPtr(db.connect())),
                                   Variant::null()};
    for (std::size_t position = 0; position < 5; ++position) {
        for (const Variant& value : odd) {
            std::vector<Variant> arguments{kUnset, Variant::long_(1), connection, Variant("as passed"), oracle()};
            arguments[position] = value;
            bool answer = true;
            EXPECT_EQ(zolt().gVerifica_Data_Atual(arguments[0], arguments[1], arguments[2], arguments[3],
                                                   arguments[4], answer),
                      com::S_OK)
                << "argument " << position;
        }
    }
}

}  // namespace
}  // namespace zolt::component
