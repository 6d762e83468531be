// Several threads, each with its own object and connection on one database,
// inserting orders and their items in both dialects at once.
#include <mutex>
#include <set>
#include <thread>

#include "tests/support/helpers.h"

namespace zolt::test {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 3;

TEST_P(Items, ThreadsWithTheirOwnObjectsAndConnectionsLoseNothing) {
    std::mutex lock;
    Lines failures;
    std::set<int32_t> keys;  // of orders and items alike, each negated for an item
    auto work = [&](int thread) {
        component::_ZOLT* zolt = new_zolt();
        Variant connection(automation::ObjectPtr(db->connect())), user = Variant::long_(10 + thread);
        auto wrote = [&](com::HRESULT status, const Variant& result, const Variant& message, int32_t key) {
            std::lock_guard guard(lock);
            if (status != com::S_OK || result != Variant::integer(0))
                failures.push_back(message.is_text() ? message.text() : "?");
            else
                EXPECT_TRUE(keys.insert(key).second) << key;
        };
        com::HRESULT status;
        for (int round = 0; round < kRounds; ++round) {
            Variant kind((thread + round) % 2 ? "ORACLE" : "SQLSERVER"), state = Variant::long_(1);
            Variant number("T" + std::to_string(thread) + "-" + std::to_string(round));
            Variant supplier = Variant::long_(101 + thread % 3), client = Variant::long_(201);
            Variant order_id, message, result;
            status = zolt->gInclui_Campos_PEDIDO(state, number, supplier, order_id, user, connection, message,
                                                 kind, client, result);
            wrote(status, result, message, automation::to_long(order_id));
            for (int part : {301, 302}) {
                Variant date = day(2031, 1 + thread, 10 + round), part_id = Variant::long_(part),
                        quantity = Variant::long_(part - 300), item_id;
                status = zolt->gInclui_Campos_PEDIDO_ITEM(date, part_id, order_id, quantity, item_id, user,
                                                          connection, message, kind, result);
                wrote(status, result, message, -automation::to_long(item_id));
            }
        }
        zolt->Release();
    };
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread)
        threads.emplace_back(work, thread);
    for (auto& thread : threads)
        thread.join();

    EXPECT_EQ(failures, Lines{});
    EXPECT_EQ(keys.size(), std::size_t{kThreads * kRounds * 3});
    const std::string items = std::to_string(5 + kThreads * kRounds * 2);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM PEDIDO_ITEM"), Lines{items});
    EXPECT_EQ(rows("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'"),
              Lines{items});
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Infra_Operacao"), Lines{std::to_string(kThreads * kRounds * 3)});
}

}  // namespace
}  // namespace zolt::test
