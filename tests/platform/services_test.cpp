// Our outside components: the literal forms, the validation messages and the
// key counters, created through the class table as the component creates them.
#include <gtest/gtest.h>

#include "outside/outside.h"
#include "services/services.h"
#include "tests/support/helpers.h"

namespace zolt::services {
namespace {

using automation::make_date;
using automation::Variant;
using automation::err::kTypeMismatch;
using outside::LiteralWriter;
using outside::SqlFormatter;

using test::error_number;
const auto field_holding = test::object_holding;

template <class Interface>
std::shared_ptr<Interface> made(const com::Guid& clsid) {
    register_services();
    return com::create_instance_as<Interface>(clsid);
}

// Each operation reads a field through its value. Empty, Null and blank are
// 0, "" or NULL as the operation needs. (The component's statements show the
// plain literals, the fault tests' hostile texts their quoting.)
TEST(Formatter, ValuesAndLiterals) {
    auto formatter = made<SqlFormatter>(outside::clsid::kSqlFormatter);
    using Operation = Variant (SqlFormatter::*)(Variant);
    const Operation number = &SqlFormatter::NumberValue, text = &SqlFormatter::TextValue,
                    sql_number = &SqlFormatter::SqlNumber, sql_date = &SqlFormatter::SqlDate;
    const std::tuple<Operation, Variant, Variant> cases[] = {
        {number, Variant::null(), Variant::long_(0)},
        {number, Variant("abc"), Variant::long_(0)},
        {number, Variant("2.5"), Variant(2.5)},
        {number, Variant(3e9), Variant(3e9)},
        {number, field_holding(Variant("42")), Variant::long_(42)},
        {text, field_holding(Variant::null()), Variant("")},
        {text, field_holding(Variant(make_date(2030, 1, 15))), Variant("15/01/2030")},
        {sql_number, Variant(" "), Variant("NULL")},
        {sql_number, Variant(" 2.50 "), Variant("2.5")},
        {sql_date, field_holding(Variant("2030-02-01 10:00:00")), Variant("'2030-02-01T10:00:00'")},
    };
    for (const auto& [operation, input, expected] : cases)
        EXPECT_EQ(((*formatter).*operation)(input), expected) << automation::format(expected);
    const std::pair<Operation, Variant> refused[] = {
        {sql_date, Variant("31/02/2030")}, {sql_date, Variant(5)}, {sql_number, Variant("12a")},
        {number, Variant(automation::Array{0, {Variant(1)}})}};
    for (const auto& [operation, input] : refused)
        EXPECT_EQ(error_number([&] { ((*formatter).*operation)(input); }), kTypeMismatch);
}

TEST(LiteralWriter, FormsWithAndWithoutOperator) {
    auto writer = made<LiteralWriter>(outside::clsid::kLiteralWriter);
    using Operation = Variant (LiteralWriter::*)(Variant, std::string&);
    const Operation number = &LiteralWriter::WriteNumber, text = &LiteralWriter::WriteText,
                    date = &LiteralWriter::WriteDate;
    const std::tuple<Operation, Variant, std::string, std::string> cases[] = {
        {number, Variant(), "", "NULL"},
        {number, Variant::null(), "=", "IS NULL"},
        {text, Variant(), "=", "IS NULL"},
        {date, Variant("15/01/2030 14:30:00"), "", "{ts '2030-01-15 14:30:00'}"},
        {date, Variant(""), "", "NULL"},
    };
    for (const auto& [operation, value, op, expected] : cases) {
        std::string given = op;
        EXPECT_EQ(((*writer).*operation)(value, given), Variant(expected));
        EXPECT_EQ(given, op);
    }
    std::string empty;
    EXPECT_EQ(error_number([&] { writer->WriteDate(Variant("tomorrow"), empty); }), kTypeMismatch);
    EXPECT_EQ(error_number([&] { writer->WriteNumber(Variant("many"), empty); }), kTypeMismatch);
}

// On success the message stays as it was; on refusal it holds one text. The
// component's validations show the common refusals; these are the edges.
TEST(Validator, RefusesWithOneMessage) {
    auto validator = made<outside::FieldValidator>(outside::clsid::kFieldValidator);
    const Variant before("earlier text");
    Variant unused(""), user = Variant::long_(2), date_text, one = Variant::integer(1);
    Variant twenty = Variant::integer(20), today("15/01/2030");
    Variant quantity("Qtde"), number("N.º Programação"), shipping("Data de Embarque");
    enum Check { Number, Text, Date };
    const std::tuple<Check, Variant, const char*, std::string> cases[] = {  // "" when accepted
        {Number, field_holding(Variant(3.5)), "S", ""},
        {Number, Variant("1e999"), "S", "O campo Qtde deve ser numérico."},
        {Number, Variant(make_date(2030, 1, 1)), "S", "O campo Qtde deve ser numérico."},
        {Number, Variant("0.5"), "N", "O campo Qtde deve ser maior ou igual a 1."},
        {Text, Variant("ÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇ"), "S", ""},  // twenty characters, more bytes
        {Date, Variant("15/01/2030 08:00"), "S", ""},
        {Date, Variant("2030-01-14T23:59:59"), "S",
         "O campo Data de Embarque não pode ser anterior a 15/01/2030."},
    };
    for (auto [check, value, required_text, expected] : cases) {
        Variant required(required_text), message = before;
        const bool accepted =
            check == Number ? validator->CheckNumber(quantity, value, one, unused, user, message, required)
            : check == Text
                ? validator->CheckText(number, value, twenty, user, message, required)
                : validator->CheckDate(shipping, value, today, unused, user, message, date_text, required);
        EXPECT_EQ(accepted, expected.empty()) << expected;
        EXPECT_EQ(message, expected.empty() ? before : Variant(expected)) << expected;
    }
    EXPECT_EQ(date_text, Variant("15/01/2030"));  // the accepted date, as day/month/year
}

// Keys count on from the highest one in their table (the component tests see
// them); a column without a counter, or a database that cannot be reached, is
// refused with the generator's wording, and so is an operation that cannot be
// recorded. A recorded operation is stamped with the time.
TEST(Keys, RefusalsAndTheOperationLog) {
    test::TempDatabase db;
    auto generator = made<outside::KeyGenerator>(outside::clsid::kKeyGenerator);
    std::string message, kind = "ORACLE", where = db.connection_string();
    Variant connection;
    const std::pair<std::string, std::string> refused[] = {
        {"NO_SUCH_ID", where}, {"PEDIDO_ID' OR '1' = '1", where}, {"PEDIDO_ID", where + ".missing/x.db"}};
    for (const auto& [column, text] : refused) {
        int32_t key = -7;
        EXPECT_FALSE(generator->NextKey(kind, 2, 1, "TOVREL", "N", connection, text, column, message, key));
        EXPECT_EQ(message, "Não foi possível gerar a chave " + column + ".");
        EXPECT_EQ(key, -7);
    }
    EXPECT_EQ(automation::to_long(db.scalar("SELECT SUM(ULTIMO_VALOR) FROM Infra_Chave")), 3 + 5);

    int32_t entity = 260, operation = 1, user = 2, key = 6, zero = 0;
    EXPECT_TRUE(generator->RecordOperation(kind, entity, operation, user, key, zero, message, where));
    EXPECT_NEAR(db.scalar("SELECT DATA_HORA FROM Infra_Operacao").date().serial, automation::now().serial,
                2.0 / 86400);
    db.exec("DROP TABLE Infra_Operacao");
    EXPECT_FALSE(generator->RecordOperation(kind, entity, operation, user, key, zero, message, where));
    EXPECT_EQ(message, "Não foi possível registrar a operação.");
}

}  // namespace
}  // namespace zolt::services
