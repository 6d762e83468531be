// Several threads, each with its own object and connection on one database
// file, writing orders and items in both dialects at once.
#include <mutex>
#include <set>
#include <thread>

#include "component/exports.h"
#include "tests/items/item_test.h"

namespace zolt::test {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 3;

// What every thread wrote, gathered for the checks at the end.
struct Outcomes {
    std::mutex lock;
    std::vector<std::string> failures;
    std::multiset<std::string> writes;  // "entity operation key" of every recorded write
    std::vector<int32_t> order_keys, item_keys;

    // Notes a write that answered, or why it did not.
    bool wrote(com::HRESULT status, const Variant& result, const Variant& message, int entity, int operation,
               const Variant& key) {
        std::lock_guard guard(lock);
        if (status != com::S_OK || result != Variant::integer(0)) {
            failures.push_back(message.is_text() ? message.text() : "?");
            return false;
        }
        writes.insert(std::to_string(entity) + " " + std::to_string(operation) + " " + automation::to_text(key));
        return true;
    }
};

void work(const TestDatabase& db, int thread, Outcomes& out) {
    com::IClassFactory* factory = nullptr;
    component::_ZOLT* zolt = nullptr;
    ASSERT_EQ(DllGetClassObject(&component::kClsidZOLT, &com::kIID_IClassFactory, reinterpret_cast<void**>(&factory)),
              com::S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, component::kIID_ZOLT, reinterpret_cast<void**>(&zolt)), com::S_OK);
    factory->Release();
    Variant connection(automation::ObjectPtr(db.connect())), user = Variant::long_(10 + thread);
    for (int round = 0; round < kRounds; ++round) {
        Variant kind((thread + round) % 2 ? "ORACLE" : "SQLSERVER");
        const std::string name = "T" + std::to_string(thread) + "-" + std::to_string(round);
        Variant status = Variant::long_(1), number(name), supplier = Variant::long_(101 + thread % 3);
        Variant client = Variant::long_(201), order_id, message, result;
        if (!out.wrote(zolt->gInclui_Campos_PEDIDO(status, number, supplier, order_id, user, connection, message,
                                                   kind, client, result),
                       result, message, 172, 1, order_id))
            continue;
        std::vector<Variant> items;
        for (int part : {301, 302}) {
            Variant date = day(2031, 1 + thread, 10 + round), part_id = Variant::long_(part),
                    quantity = Variant::long_(part - 300), item_id;
            if (out.wrote(zolt->gInclui_Campos_PEDIDO_ITEM(date, part_id, order_id, quantity, item_id, user,
                                                           connection, message, kind, result),
                          result, message, 260, 1, item_id))
                items.push_back(item_id);
        }
        if (!items.empty()) {
            Variant date = day(2031, 1 + thread, 20 + round), part_id = Variant::long_(303),
                    quantity = Variant::long_(77);
            out.wrote(zolt->gAltera_Campos_PEDIDO_ITEM(items.front(), date, part_id, order_id, quantity, user,
                                                       connection, message, kind, result),
                      result, message, 260, 2, items.front());
        }
        Variant new_number(name + "b"), out_id;
        out.wrote(zolt->gAltera_Campos_PEDIDO(order_id, status, new_number, supplier, out_id, user, connection,
                                              message, kind, client, result),
                  result, message, 172, 2, order_id);
        std::lock_guard guard(out.lock);
        out.order_keys.push_back(automation::to_long(order_id));
        for (const Variant& item : items)
            out.item_keys.push_back(automation::to_long(item));
    }
    zolt->Release();
}

TEST_P(Items, ThreadsWithTheirOwnObjectsAndConnectionsLoseNothing) {
    Outcomes out;
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread)
        threads.emplace_back([&, thread] { work(*db, thread, out); });
    for (auto& thread : threads)
        thread.join();

    EXPECT_EQ(out.failures, Lines{});
    EXPECT_EQ(std::set<int32_t>(out.order_keys.begin(), out.order_keys.end()).size(), std::size_t{kThreads * kRounds});
    EXPECT_EQ(std::set<int32_t>(out.item_keys.begin(), out.item_keys.end()).size(),
              std::size_t{kThreads * kRounds * 2});
    const std::string items = std::to_string(5 + kThreads * kRounds * 2);
    EXPECT_EQ(row_texts(*db, "SELECT COUNT(*) FROM PEDIDO_ITEM"), Lines{items});
    EXPECT_EQ(row_texts(*db, "SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'"), Lines{items});
    EXPECT_EQ(row_texts(*db, "SELECT COUNT(*) FROM PEDIDO WHERE NUM_PEDIDO_EXTERNO LIKE 'T%b'"),
              Lines{std::to_string(kThreads * kRounds)});
    EXPECT_EQ(row_texts(*db, "SELECT COUNT(*) FROM PEDIDO_ITEM WHERE QTDE_PEDIDA = 77 AND PECA_ID = 303 AND "
                            "TAB_STATUS_ID = 509"),
              Lines{std::to_string(kThreads * kRounds)});
    std::multiset<std::string> logged;
    for (const auto& row : row_texts(*db, "SELECT ENTIDADE_ID || ' ' || OPERACAO || ' ' || CHAVE FROM Infra_Operacao"))
        logged.insert(row);
    EXPECT_EQ(logged, out.writes);
}

}  // namespace
}  // namespace zolt::test
