// Every write method in both dialects, with the engine's reads, writes, syncs,
// locks or allocations failing from the nth on (or the disk full), for n = 1,
// 2, ... until the call no longer meets the fault. Each call must answer its
// failure or success result, leave an intact file holding the state after a
// whole prefix of its statements, and leave its connections fit for the next
// write.
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
const std::set<std::string> kMessages{
    "antes",
    std::string(component::kOrderUnavailable),
    std::string(component::kItemUnavailable),
    std::string(component::kOracleUnavailable),
    "Não foi possível gerar a chave PEDIDO_ID.",
    "Não foi possível gerar a chave PEDIDO_ITEM_ID.",
};

// Allocations are many: their sweep takes every fifth n, or every
// $ZOLT_FAULTS_ALLOCATION_STRIDE-th (scripts/faults.sh takes every one).
long stride_for(Fault fault) {
    const char* configured = std::getenv("ZOLT_FAULTS_ALLOCATION_STRIDE");
    return fault != Fault::Allocation ? 1 : configured ? std::max(1L, std::atol(configured)) : 5;
}

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
                EXPECT_TRUE(answered) << "result " << ::testing::PrintToString(outcome.result) << ", message " << message;
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

}  // namespace
}  // namespace zolt::faults
