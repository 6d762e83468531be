// Storage and allocation faults under every write method, and hostile texts
// in every argument of every method, in both dialects.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "bench/statement_capture.h"
#include "component/frame.h"
#include "tests/faults/harness.h"
#include "tests/support/helpers.h"

namespace zolt::faults {
namespace {

// What a write may leave in the message when a fault stops it: the caller's
// text (a refused record leaves it), the handlers' messages, or the key
// generator's refusal.
const std::set<std::string> kMessages{"antes", std::string(component::kOrderUnavailable),
                                      std::string(component::kItemUnavailable),
                                      std::string(component::kOracleUnavailable),
                                      "Não foi possível gerar a chave PEDIDO_ID.",
                                      "Não foi possível gerar a chave PEDIDO_ITEM_ID."};

// Allocations are many: their sweep takes every fifth n, or every
// $ZOLT_FAULTS_ALLOCATION_STRIDE-th (scripts/faults.sh takes every one).
long stride_for(Fault fault) {
    const char* configured = std::getenv("ZOLT_FAULTS_ALLOCATION_STRIDE");
    return fault != Fault::Allocation ? 1 : configured ? std::max(1L, std::atol(configured)) : 5;
}

// Every write method with the engine's reads, writes, syncs, locks or
// allocations failing from the nth on (or the disk full), for n = 1, 2, ...
// until the call no longer meets the fault. Each call must answer its failure
// or success result, leave an intact file holding the state after a whole
// prefix of its statements, and leave its connections fit for the next write.
class StorageFaults : public ::testing::TestWithParam<Fault> {};

TEST_P(StorageFaults, EveryWriteHappensWholeOrNotAtAll) {
    const Fault fault = GetParam();
    Databases databases;
    Object zolt;
    for (const std::string& method : kWriteMethods) {
        for (const Variant& kind : {kOracle, kSqlServer}) {
            SCOPED_TRACE(method + " " + kind.text());
            bench::capture::start();
            const Outcome clean = invoke(*zolt, method, kind, connect(databases.copy()));
            const auto states = states_after_prefixes(databases, bench::capture::stop());
            ASSERT_TRUE(clean.succeeded());

            for (long nth = 1;; nth += stride_for(fault)) {
                SCOPED_TRACE("failing from operation " + std::to_string(nth));
                const std::string path = databases.copy();
                const Variant connection = connect(path);
                arm(fault, nth);
                const Outcome outcome = invoke(*zolt, method, kind, connection);
                const bool injected = disarm();

                const std::string& message = outcome.after.at("outvntMsg_Ret").text();
                const bool answered = outcome.succeeded() || (outcome.failed() && kMessages.contains(message));
                const bool sound = intact(path);
                const auto state = contents(path);
                const bool whole = outcome.succeeded() ? state == states.back()
                                                       : std::find(states.begin(), states.end(), state) != states.end();
                EXPECT_TRUE(answered) << ::testing::PrintToString(outcome.result) << ", message " << message;
                EXPECT_TRUE(whole) << "the database holds no state a whole prefix of the statements leaves";

                // The caller's connection and the pooled ones go on working,
                // and what they write is there for everyone.
                EXPECT_TRUE(invoke(*zolt, "gExclui_Campos_PEDIDO_ITEM", kind, connection,
                                   {{"InVntPedido_Item_ID", Variant::long_(5)}})
                                .succeeded());
                EXPECT_EQ(query(path, "SELECT TAB_STATUS_ID FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = 5"),
                          std::vector<std::string>{"2"});

                if (!injected) {
                    EXPECT_TRUE(outcome.succeeded());
                    break;
                }
                ++tally.injected;
                tally.answered += answered;
                tally.integrity_failures += !sound;
                tally.half_written += !whole;
                if (HasFailure())
                    return;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, StorageFaults,
                         ::testing::Values(Fault::Read, Fault::Write, Fault::Sync, Fault::Lock, Fault::FullDisk,
                                           Fault::Allocation),
                         [](const auto& info) { return std::string(kFaultNames[static_cast<int>(info.param)]); });

// Quotes, comment markers, statement separators, escapes and NUL bytes in
// every argument: each call must do exactly what it does with a harmless text
// of the same length in that place: the same statements, the same rows, the
// same answers, with the text standing verbatim wherever the harmless one
// stands.
const std::vector<std::string> kTexts{"O'Brien", "x';DROP TABLE PECA--", "'); DELETE FROM PECA", "1 OR 1=1 /* */",
                                      std::string("a\0b'c", 5), "{ts '2030-01-01'}", "Sysdate ?1 ? \" ;",
                                      "'; EXEC SP_QBX_EXC_PEDIDO_OLT1 1, 2 --"};

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
        for (const com::MethodInfo& method : (*zolt).GetTypeInfo().methods) {
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
