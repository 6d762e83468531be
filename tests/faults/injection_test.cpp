// Quotes, comment markers, statement separators, escapes and NUL bytes in
// every argument of every method, in both dialects. Each call must do exactly
// what it does with a harmless text of the same length in that place: the
// same statements, the same rows, the same answers, with the text standing
// verbatim wherever the harmless one stands.
#include "tests/faults/harness.h"
#include "tests/support/helpers.h"

namespace zolt::faults {
namespace {

const std::vector<std::string> kTexts{
    "O'Brien",
    "x';DROP TABLE PECA--",
    "'); DELETE FROM PECA",
    "1 OR 1=1 /* */",
    std::string("a\0b'c", 5),
    "{ts '2030-01-01'}",
    "Sysdate ?1 ? \" ;",
    "'; EXEC SP_QBX_EXC_PEDIDO_OLT1 1, 2 --",
};

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// What one call did, as far as anyone can see.
struct Observed {
    com::HRESULT status = 0;
    Variant result;
    Arguments after;
    std::vector<std::string> statements, rows;
};

Variant disguised(const Variant& value, const std::string& text, const std::string& twin) {
    if (value.is_text())
        return Variant(replaced(value.text(), text, twin));
    if (!value.is_array())
        return value;
    automation::Array array = value.array();
    for (Variant& item : array.items)
        item = disguised(item, text, twin);
    return Variant(std::move(array));
}

// The call as it would look had the twin stood in the text's place.
Observed disguised(Observed seen, const std::string& text, const std::string& twin) {
    seen.result = disguised(seen.result, text, twin);
    for (auto& [name, value] : seen.after)
        value = disguised(value, text, twin);
    for (auto* lines : {&seen.statements, &seen.rows})
        for (std::string& line : *lines)
            line = replaced(replaced(line, quoted(text), quoted(twin)), text, twin);
    return seen;
}

TEST(Injection, HostileTextsActExactlyAsHarmlessOnes) {
    Databases databases;
    Object zolt;
    std::map<std::string, Observed> twins;
    const auto sample_rows = contents(databases.sample());
    auto observe = [&](const std::string& method, const Variant& kind, const std::string& parameter,
                       const std::string& value) {
        const std::string path = databases.copy();
        const Variant connection = connect(path);
        Observed seen;
        ado::trace::start();
        const Outcome outcome = invoke(*zolt, method, kind, connection, {{parameter, Variant(value)}});
        for (const auto& entry : ado::trace::stop())
            seen.statements.push_back(entry.text + (entry.separate ? " [separate]" : ""));
        seen.status = outcome.status;
        seen.result = outcome.result;
        seen.after = outcome.after;
        seen.rows = contents(path);
        return seen;
    };
    for (const Variant& kind : {kOracle, kSqlServer}) {
        for (const std::string& method : method_names()) {
            const com::MethodInfo& info = *(*zolt).GetTypeInfo().find(method);
            for (const std::string& parameter : info.parameters) {
                if (parameter == "InVntConecta_DB")
                    continue;
                for (const std::string& text : kTexts) {
                    SCOPED_TRACE(method + " " + kind.text() + " " + parameter + " = " + text);
                    const std::string twin(text.size(), 'z');
                    const std::string key = kind.text() + method + parameter + twin;
                    if (!twins.contains(key))
                        twins[key] = observe(method, kind, parameter, twin);
                    const Observed& expected = twins[key];
                    const Observed seen = disguised(observe(method, kind, parameter, text), text, twin);
                    ++tally().injected;
                    tally().answered += seen.status == com::S_OK;
                    // The engine reads a statement text only up to a NUL, so
                    // inline SQL cannot carry one: the call fails, writing nothing.
                    if (text.find('\0') != std::string::npos && seen.status == com::S_OK &&
                        (seen.result == Variant(false) || seen.result == Variant::integer(10)) &&
                        seen.rows == sample_rows)
                        continue;
                    EXPECT_EQ(seen.status, expected.status);
                    EXPECT_EQ(seen.result, expected.result);
                    EXPECT_EQ(seen.after, expected.after);
                    EXPECT_EQ(seen.statements, expected.statements);
                    EXPECT_EQ(seen.rows, expected.rows);
                    if (HasFailure())
                        return;
                }
            }
        }
    }
}

// The arguments every test here starts from make every method succeed, in
// interface order on one database, in both dialects.
TEST(Injection, EveryMethodSucceedsWithTheStartingArguments) {
    Databases databases;
    expect_every_method_succeeds(databases, databases.sample());
}

}  // namespace
}  // namespace zolt::faults
