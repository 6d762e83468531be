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

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::string quoted(const std::string& text) { return "'" + replaced(text, "'", "''") + "'"; }

std::string shown(const Variant& value) {
    if (!value.is_array())
        return ::testing::PrintToString(value);
    std::string items = "[";
    for (const Variant& item : value.array().items)
        items += shown(item) + ", ";
    return items + "]";
}

// What one call did, as anyone can see it: its answer, the arguments after
// it, the statements it sent and every row it left.
struct Observed {
    bool refused_untouched = false;  // answered failure and left every row as it was
    std::vector<std::string> lines;
};

TEST(Injection, HostileTextsActExactlyAsHarmlessOnes) {
    Databases databases;
    Object zolt;
    const auto sample_rows = contents(databases.copy());
    auto observe = [&](const std::string& method, const Variant& kind, const std::string& parameter,
                       const std::string& value) {
        const std::string path = databases.copy();
        ado::trace::start();
        const Outcome outcome = invoke(*zolt, method, kind, connect(path), {{parameter, Variant(value)}});
        Observed seen{.lines = {std::to_string(outcome.status) + " " + shown(outcome.result)}};
        for (const auto& [name, after] : outcome.after)
            seen.lines.push_back(name + " " + shown(after));
        for (const auto& entry : ado::trace::stop())
            seen.lines.push_back(entry.text + (entry.separate ? " [separate]" : ""));
        const auto rows = contents(path);
        seen.lines.insert(seen.lines.end(), rows.begin(), rows.end());
        seen.refused_untouched = outcome.failed() && rows == sample_rows;
        return seen;
    };
    std::map<std::string, Observed> twins;
    for (const Variant& kind : {kOracle, kSqlServer}) {
        for (const com::MethodInfo& method : zolt.methods()) {
            for (const std::string& parameter : method.parameters) {
                if (parameter == "InVntConecta_DB")
                    continue;
                for (const std::string& text : kTexts) {
                    SCOPED_TRACE(method.name + " " + kind.text() + " " + parameter + " = " + text);
                    const std::string twin(text.size(), 'z');
                    const std::string key = kind.text() + method.name + parameter + twin;
                    if (!twins.contains(key))
                        twins[key] = observe(method.name, kind, parameter, twin);
                    Observed seen = observe(method.name, kind, parameter, text);
                    ++tally.injected;
                    tally.answered += seen.lines[0].starts_with("0 ");
                    // The engine reads a statement text only up to a NUL, so
                    // inline SQL cannot carry one: the call fails, writing nothing.
                    if (text.find('\0') != std::string::npos && seen.refused_untouched)
                        continue;
                    for (std::string& line : seen.lines)
                        line = replaced(replaced(line, quoted(text), quoted(twin)), text, twin);
                    ASSERT_EQ(seen.lines, twins[key].lines);
                }
            }
        }
    }
}

}  // namespace
}  // namespace zolt::faults
