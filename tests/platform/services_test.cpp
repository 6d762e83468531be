// Our outside components: the literal forms, the validation messages and the
// key counters, created through the class table as the component creates them.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "outside/outside.h"
#include "platform/ado/ado.h"
#include "services/services.h"
#include "tests/support/fixture.h"

namespace zolt::services {
namespace {

using automation::AutomationError;
using automation::make_date;
using automation::Variant;
using automation::VarType;

class FieldObject : public automation::Object {
public:
    explicit FieldObject(Variant value) : value_(std::move(value)) {}
    Variant default_value() const override { return value_; }
    std::string kind() const override { return "Field"; }

private:
    Variant value_;
};

Variant field_holding(Variant value) {
    return Variant(automation::ObjectPtr(std::make_shared<FieldObject>(std::move(value))));
}

template <class Interface>
std::shared_ptr<Interface> made(const com::Guid& clsid) {
    register_services();
    return com::create_instance_as<Interface>(clsid);
}

template <class Call>
int32_t error_number(Call call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

class Formatter : public ::testing::Test {
protected:
    std::shared_ptr<outside::SqlFormatter> formatter = made<outside::SqlFormatter>(outside::clsid::kSqlFormatter);
};

TEST_F(Formatter, NumberValue) {
    const std::pair<Variant, Variant> cases[] = {
        {Variant(), Variant::long_(0)},
        {Variant::null(), Variant::long_(0)},
        {Variant("  "), Variant::long_(0)},
        {Variant("abc"), Variant::long_(0)},
        {Variant(" 15 "), Variant::long_(15)},
        {Variant::integer(7), Variant::long_(7)},
        {Variant(15.0), Variant::long_(15)},
        {Variant("2.5"), Variant(2.5)},
        {Variant(3e9), Variant(3e9)},
        {Variant(int64_t{-5}), Variant::long_(-5)},
        {Variant(true), Variant::long_(-1)},
        {Variant(make_date(2030, 1, 15, 12)), Variant(47498.5)},
        {field_holding(Variant("42")), Variant::long_(42)},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(formatter->NumberValue(input), expected) << automation::to_text(expected);
    EXPECT_EQ(error_number([&] { formatter->NumberValue(Variant(automation::Array{0, {Variant(1)}})); }),
              automation::err::kTypeMismatch);
}

TEST_F(Formatter, TextValue) {
    EXPECT_EQ(formatter->TextValue(Variant()), Variant(""));
    EXPECT_EQ(formatter->TextValue(Variant::null()), Variant(""));
    EXPECT_EQ(formatter->TextValue(field_holding(Variant::null())), Variant(""));
    EXPECT_EQ(formatter->TextValue(field_holding(Variant(make_date(2030, 1, 15)))), Variant("15/01/2030"));
    EXPECT_EQ(formatter->TextValue(Variant(make_date(2030, 1, 15, 14, 30))), Variant("15/01/2030 14:30:00"));
    EXPECT_EQ(formatter->TextValue(Variant(2.5)), Variant("2.5"));
    EXPECT_EQ(formatter->TextValue(Variant(" A ")), Variant(" A "));
}

TEST_F(Formatter, SqlLiterals) {
    const std::pair<Variant, std::string> numbers[] = {
        {Variant(), "NULL"},       {Variant::null(), "NULL"}, {Variant(" "), "NULL"}, {Variant::long_(15), "15"},
        {Variant(" 2.50 "), "2.5"}, {Variant(-3), "-3"},       {field_holding(Variant(7)), "7"},
    };
    for (const auto& [input, expected] : numbers)
        EXPECT_EQ(formatter->SqlNumber(input), Variant(expected)) << expected;

    const std::pair<Variant, std::string> texts[] = {
        {Variant(), "NULL"}, {Variant::null(), "NULL"}, {Variant(""), "''"}, {Variant("O'Brien ''"), "'O''Brien '''''"},
        {Variant(12), "'12'"},
    };
    for (const auto& [input, expected] : texts)
        EXPECT_EQ(formatter->SqlText(input), Variant(expected)) << expected;

    const std::pair<Variant, std::string> dates[] = {
        {Variant(), "NULL"},
        {Variant(" "), "NULL"},
        {Variant(make_date(2030, 1, 15, 14, 30)), "'2030-01-15T14:30:00'"},
        {Variant("15/01/2030"), "'2030-01-15T00:00:00'"},
        {field_holding(Variant("2030-02-01 10:00:00")), "'2030-02-01T10:00:00'"},
    };
    for (const auto& [input, expected] : dates)
        EXPECT_EQ(formatter->SqlDate(input), Variant(expected)) << expected;

    for (const Variant& bad : {Variant("abc"), Variant("31/02/2030"), Variant(5)})
        EXPECT_EQ(error_number([&] { formatter->SqlDate(bad); }), automation::err::kTypeMismatch);
    EXPECT_EQ(error_number([&] { formatter->SqlNumber(Variant("12a")); }), automation::err::kTypeMismatch);
}

TEST(LiteralWriter, FormsWithAndWithoutOperator) {
    auto writer = made<outside::LiteralWriter>(outside::clsid::kLiteralWriter);
    struct Case {
        Variant (outside::LiteralWriter::*write)(Variant, std::string&);
        Variant value;
        std::string op, expected;
    };
    const auto number = &outside::LiteralWriter::WriteNumber;
    const auto text = &outside::LiteralWriter::WriteText;
    const auto date = &outside::LiteralWriter::WriteDate;
    const Case cases[] = {
        {number, Variant::long_(15), "", "15"},
        {number, Variant::long_(15), "=", "= 15"},
        {number, Variant(), "", "NULL"},
        {number, Variant::null(), "=", "IS NULL"},
        {text, Variant("PRG-'1"), "", "'PRG-''1'"},
        {text, Variant("x"), "=", "= 'x'"},
        {text, Variant::null(), "", "NULL"},
        {text, Variant(), "=", "IS NULL"},
        {date, Variant("15/01/2030 14:30:00"), "", "{ts '2030-01-15 14:30:00'}"},
        {date, Variant(make_date(2030, 2, 1)), "", "{ts '2030-02-01 00:00:00'}"},
        {date, Variant("2030-02-01"), "=", "= {ts '2030-02-01 00:00:00'}"},
        {date, Variant(""), "", "NULL"},
        {date, Variant::null(), "=", "IS NULL"},
    };
    for (const Case& c : cases) {
        std::string op = c.op;
        const Variant result = ((*writer).*c.write)(c.value, op);
        EXPECT_EQ(result, Variant(c.expected));
        EXPECT_EQ(op, c.op);
    }
    std::string empty;
    EXPECT_EQ(error_number([&] { writer->WriteDate(Variant("tomorrow"), empty); }), automation::err::kTypeMismatch);
    EXPECT_EQ(error_number([&] { writer->WriteNumber(Variant("many"), empty); }), automation::err::kTypeMismatch);
}

class Validator : public ::testing::Test {
protected:
    std::shared_ptr<outside::FieldValidator> validator =
        made<outside::FieldValidator>(outside::clsid::kFieldValidator);
    Variant unused = Variant("");
    Variant user = Variant::long_(2);
    Variant required = Variant("S");
    Variant optional = Variant("N");
    Variant before = Variant("earlier text");

    // The answer and the message left behind, starting from `before`.
    std::pair<bool, Variant> number(Variant value, Variant minimum, Variant& flag) {
        Variant label("Qtde");
        Variant message = before;
        const bool ok = validator->CheckNumber(label, value, minimum, unused, user, message, flag);
        return {ok, message};
    }
    std::pair<bool, Variant> text(Variant value, Variant max_length, Variant& flag) {
        Variant label("N.º Programação");
        Variant message = before;
        const bool ok = validator->CheckText(label, value, max_length, user, message, flag);
        return {ok, message};
    }
    std::pair<bool, Variant> date(Variant value, Variant server_date, Variant& out_text) {
        Variant label("Data de Embarque");
        Variant message = before;
        const bool ok = validator->CheckDate(label, value, server_date, unused, user, message, out_text, required);
        return {ok, message};
    }
};

TEST_F(Validator, CheckNumber) {
    const Variant one = Variant::integer(1);
    EXPECT_EQ(number(Variant::long_(5), one, required), std::make_pair(true, before));
    EXPECT_EQ(number(Variant(" 1 "), one, required), std::make_pair(true, before));
    EXPECT_EQ(number(field_holding(Variant(3.5)), one, required), std::make_pair(true, before));
    EXPECT_EQ(number(Variant(), one, optional), std::make_pair(true, before));
    const Variant missing("Informe o campo Qtde.");
    for (const Variant& absent : {Variant(), Variant::null(), Variant("   ")})
        EXPECT_EQ(number(absent, one, required), std::make_pair(false, missing));
    const Variant not_numeric("O campo Qtde deve ser numérico.");
    for (const Variant& bad : {Variant("abc"), Variant("1e999"), Variant(make_date(2030, 1, 1))})
        EXPECT_EQ(number(bad, one, required), std::make_pair(false, not_numeric));
    const Variant too_small("O campo Qtde deve ser maior ou igual a 1.");
    EXPECT_EQ(number(Variant(0), one, required), std::make_pair(false, too_small));
    EXPECT_EQ(number(Variant("0.5"), one, optional), std::make_pair(false, too_small));
}

TEST_F(Validator, CheckText) {
    const Variant twenty = Variant::integer(20);
    EXPECT_EQ(text(Variant("PRG-0001"), twenty, required), std::make_pair(true, before));
    // Twenty characters, more bytes: the limit counts characters.
    EXPECT_EQ(text(Variant("ÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇ"), twenty, required), std::make_pair(true, before));
    EXPECT_EQ(text(Variant::null(), twenty, optional), std::make_pair(true, before));
    EXPECT_EQ(text(Variant(" "), twenty, required), std::make_pair(false, Variant("Informe o campo N.º Programação.")));
    EXPECT_EQ(text(Variant("123456789012345678901"), twenty, required),
              std::make_pair(false, Variant("O campo N.º Programação deve ter no máximo 20 caracteres.")));
}

TEST_F(Validator, CheckDate) {
    const Variant today("15/01/2030");
    Variant out_text("");
    EXPECT_EQ(date(Variant("15/01/2030 08:00"), today, out_text), std::make_pair(true, before));
    EXPECT_EQ(out_text, Variant("15/01/2030"));
    EXPECT_EQ(date(field_holding(Variant(make_date(2030, 2, 1, 14, 30))), today, out_text),
              std::make_pair(true, before));
    EXPECT_EQ(out_text, Variant("01/02/2030"));
    EXPECT_EQ(date(Variant("2030-01-14T23:59:59"), today, out_text),
              std::make_pair(false, Variant("O campo Data de Embarque não pode ser anterior a 15/01/2030.")));
    EXPECT_EQ(date(Variant("31/02/2030"), today, out_text),
              std::make_pair(false, Variant("O campo Data de Embarque não contém uma data válida.")));
    EXPECT_EQ(date(Variant(), today, out_text),
              std::make_pair(false, Variant("Informe o campo Data de Embarque.")));
}

TEST_F(Validator, UnusableArgumentsRaise) {
    Variant label = Variant::null();
    Variant value(5), message, one = Variant::integer(1);
    EXPECT_EQ(error_number([&] { validator->CheckNumber(label, value, one, unused, user, message, required); }),
              automation::err::kInvalidUseOfNull);
    Variant array_label(automation::Array{0, {Variant("x")}});
    EXPECT_EQ(error_number([&] { validator->CheckText(array_label, value, one, user, message, required); }),
              automation::err::kTypeMismatch);
    Variant nothing{automation::ObjectPtr()};
    EXPECT_EQ(error_number([&] { validator->CheckNumber(nothing, value, one, unused, user, message, required); }),
              automation::err::kObjectNotSet);
    Variant out_text, bad_server("soon"), good("15/01/2030"), text_label("Data");
    EXPECT_EQ(error_number([&] {
                  validator->CheckDate(text_label, good, bad_server, unused, user, message, out_text, required);
              }),
              automation::err::kTypeMismatch);
}

class Keys : public ::testing::Test {
protected:
    test::TempDatabase db;

    std::shared_ptr<outside::KeyGenerator> generator() {
        return made<outside::KeyGenerator>(outside::clsid::kKeyGenerator);
    }
    // Draws one key on a new generator; false with the message on refusal.
    bool draw(const std::string& column, int32_t& key, std::string& message, Variant& connection) {
        return generator()->NextKey("ORACLE", 2, 1, "TOVREL", "N", connection, db.connection_string(), column,
                                    message, key);
    }
    int32_t draw(const std::string& column) {
        int32_t key = 0;
        std::string message;
        Variant connection;
        EXPECT_TRUE(draw(column, key, message, connection)) << message;
        return key;
    }
};

TEST_F(Keys, NextKeyCountsOnFromTheHighestKey) {
    EXPECT_EQ(draw("PEDIDO_ID"), 4);
    EXPECT_EQ(draw("PEDIDO_ID"), 5);
    EXPECT_EQ(draw("PEDIDO_ITEM_ID"), 6);
    EXPECT_EQ(automation::to_long(db.scalar("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ID'")),
              5);
}

TEST_F(Keys, NextKeyHandsBackItsConnectionAndStaysOutOfTheTrace) {
    int32_t key = 0;
    std::string message = "before";
    Variant connection;
    ado::trace::start();
    EXPECT_TRUE(draw("PEDIDO_ID", key, message, connection));
    EXPECT_TRUE(ado::trace::stop().empty());
    EXPECT_EQ(message, "before");
    ASSERT_TRUE(connection.is_object());
    EXPECT_EQ(connection.object()->kind(), "Connection");
}

TEST_F(Keys, NextKeyRefusals) {
    const std::string injection = "PEDIDO_ID' OR '1' = '1";
    for (const std::string& column : {std::string("NO_SUCH_ID"), injection}) {
        int32_t key = -7;
        std::string message;
        Variant connection;
        EXPECT_FALSE(draw(column, key, message, connection));
        EXPECT_EQ(message, "Não foi possível gerar a chave " + column + ".");
        EXPECT_EQ(key, -7);
    }
    EXPECT_EQ(automation::to_long(db.scalar("SELECT SUM(ULTIMO_VALOR) FROM Infra_Chave")), 3 + 5);

    int32_t key = 0;
    std::string message;
    Variant connection;
    EXPECT_FALSE(generator()->NextKey("ORACLE", 2, 1, "TOVREL", "N", connection,
                                      "Provider=SQLite;Data Source=" + db.path() + ".missing/x.db", "PEDIDO_ID",
                                      message, key));
    EXPECT_EQ(message, "Não foi possível gerar a chave PEDIDO_ID.");
}

TEST_F(Keys, RecordOperationLogsOneRow) {
    std::string kind = "ORACLE", message, connection_text = db.connection_string();
    int32_t entity = 260, operation = 1, user = 2, key = 6, zero = 0;
    const double before = automation::now().serial;
    EXPECT_TRUE(generator()->RecordOperation(kind, entity, operation, user, key, zero, message, connection_text));
    const auto rows = db.rows("SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA FROM Infra_Operacao");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ((std::vector<int32_t>{automation::to_long(rows[0][0]), automation::to_long(rows[0][1]),
                                    automation::to_long(rows[0][2]), automation::to_long(rows[0][3])}),
              (std::vector<int32_t>{260, 1, 2, 6}));
    ASSERT_EQ(rows[0][4].type(), VarType::Date);
    EXPECT_NEAR(rows[0][4].date().serial, before, 2.0 / 86400);

    db.exec("DROP TABLE Infra_Operacao");
    EXPECT_FALSE(generator()->RecordOperation(kind, entity, operation, user, key, zero, message, connection_text));
    EXPECT_EQ(message, "Não foi possível registrar a operação.");
}

TEST_F(Keys, ConcurrentDrawsNeverRepeatAKey) {
    constexpr int kThreads = 4;
    constexpr int kDrawsEach = 25;
    std::vector<std::vector<int32_t>> drawn(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kDrawsEach; ++i)
                drawn[t].push_back(draw("PEDIDO_ITEM_ID"));
        });
    for (auto& thread : threads)
        thread.join();
    std::set<int32_t> keys;
    for (const auto& some : drawn)
        keys.insert(some.begin(), some.end());
    EXPECT_EQ(keys.size(), std::size_t{kThreads * kDrawsEach});
    EXPECT_EQ(*keys.begin(), 6);
    EXPECT_EQ(*keys.rbegin(), 5 + kThreads * kDrawsEach);
}

}  // namespace
}  // namespace zolt::services
