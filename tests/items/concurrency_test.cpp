// Several threads, each with its own object and connection on one database
// file, writing orders and items in both dialects at once.
#include <algorithm>
#include <mutex>
#include <set>
#include <thread>

#include "component/exports.h"
#include "tests/items/item_test.h"

namespace zolt::test {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 3;

// A ZOLT object made through the class factory, released with this holder.
class OwnObject {
public:
    OwnObject() {
        com::IClassFactory* factory = nullptr;
        EXPECT_EQ(
            DllGetClassObject(&component::kClsidZOLT, &com::kIID_IClassFactory, reinterpret_cast<void**>(&factory)),
            com::S_OK);
        EXPECT_EQ(factory->CreateInstance(nullptr, component::kIID_ZOLT, reinterpret_cast<void**>(&zolt_)), com::S_OK);
        factory->Release();
    }
    ~OwnObject() { zolt_->Release(); }
    component::_ZOLT& operator*() { return *zolt_; }

private:
    component::_ZOLT* zolt_ = nullptr;
};

// What every thread did, gathered for the checks at the end.
struct Outcomes {
    std::mutex lock;
    std::vector<std::string> failures;
    std::multiset<std::string> writes;  // "entity operation key" of every recorded write
    std::vector<int32_t> order_keys, item_keys, updated_items;

    void fail(const std::string& what) {
        std::lock_guard guard(lock);
        failures.push_back(what);
    }
    void wrote(int entity, int operation, int32_t key) {
        std::lock_guard guard(lock);
        writes.insert(std::to_string(entity) + " " + std::to_string(operation) + " " + std::to_string(key));
    }
};

void work(const TempDatabase& db, int thread, Outcomes& out) {
    OwnObject zolt;
    Variant connection(automation::ObjectPtr(db.connect()));
    Variant user = Variant::long_(10 + thread);
    const auto answered = [&](com::HRESULT status, const Variant& result, const Variant& message,
                              const std::string& what) {
        if (status != com::S_OK || result != Variant::integer(0))
            out.fail(what + ": " + (message.is_text() ? message.text() : std::string("?")));
        return status == com::S_OK && result == Variant::integer(0);
    };
    for (int round = 0; round < kRounds; ++round) {
        Variant kind = (thread + round) % 2 ? Variant("ORACLE") : Variant("SQLSERVER");
        const std::string name = "T" + std::to_string(thread) + "-" + std::to_string(round);
        Variant status = Variant::long_(1), number(name), supplier = Variant::long_(101 + thread % 3);
        Variant client = Variant::long_(201), order_id, message, result;
        if (!answered((*zolt).gInclui_Campos_PEDIDO(status, number, supplier, order_id, user, connection, message, kind,
                                                    client, result),
                      result, message, name + " order insertion"))
            continue;
        const int32_t order = automation::to_long(order_id);
        out.wrote(172, 1, order);

        std::vector<int32_t> items;
        for (int part : {301, 302}) {
            Variant date = day(2031, 1 + thread, 10 + round), part_id = Variant::long_(part),
                    quantity = Variant::long_(part - 300), item_id;
            if (answered((*zolt).gInclui_Campos_PEDIDO_ITEM(date, part_id, order_id, quantity, item_id, user,
                                                            connection, message, kind, result),
                         result, message, name + " item insertion")) {
                items.push_back(automation::to_long(item_id));
                out.wrote(260, 1, items.back());
            }
        }
        if (!items.empty()) {
            Variant item_id = Variant::long_(items.front()), date = day(2031, 1 + thread, 20 + round),
                    part_id = Variant::long_(303), quantity = Variant::long_(77);
            if (answered((*zolt).gAltera_Campos_PEDIDO_ITEM(item_id, date, part_id, order_id, quantity, user,
                                                            connection, message, kind, result),
                         result, message, name + " item update")) {
                out.wrote(260, 2, items.front());
                std::lock_guard guard(out.lock);
                out.updated_items.push_back(items.front());
            }
        }
        Variant new_number(name + "b"), out_id;
        if (answered((*zolt).gAltera_Campos_PEDIDO(order_id, status, new_number, supplier, out_id, user, connection,
                                                   message, kind, client, result),
                     result, message, name + " order update"))
            out.wrote(172, 2, order);
        std::lock_guard guard(out.lock);
        out.order_keys.push_back(order);
        out.item_keys.insert(out.item_keys.end(), items.begin(), items.end());
    }
}

TEST(ItemConcurrency, ThreadsWithTheirOwnObjectsAndConnectionsLoseNothing) {
    TempDatabase db;
    Outcomes out;
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) threads.emplace_back([&, thread] { work(db, thread, out); });
    for (auto& thread : threads) thread.join();

    EXPECT_TRUE(out.failures.empty()) << out.failures.front();
    EXPECT_EQ(out.order_keys.size(), std::size_t{kThreads * kRounds});
    EXPECT_EQ(out.item_keys.size(), std::size_t{kThreads * kRounds * 2});
    EXPECT_EQ(std::set<int32_t>(out.item_keys.begin(), out.item_keys.end()).size(), out.item_keys.size());
    EXPECT_EQ(std::set<int32_t>(out.order_keys.begin(), out.order_keys.end()).size(), out.order_keys.size());

    const auto scalar = [&](const std::string& sql) { return automation::to_long(db.scalar(sql)); };
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM PEDIDO_ITEM"), 5 + kThreads * kRounds * 2);
    EXPECT_EQ(scalar("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'"),
              5 + kThreads * kRounds * 2);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM PEDIDO WHERE NUM_PEDIDO_EXTERNO LIKE 'T%b'"), kThreads * kRounds);
    for (int32_t item : out.updated_items)
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM PEDIDO_ITEM WHERE QTDE_PEDIDA = 77 AND PECA_ID = 303 AND "
                         "TAB_STATUS_ID = 509 AND PEDIDO_ITEM_ID = " +
                         std::to_string(item)),
                  1);

    std::multiset<std::string> logged;
    for (const auto& row : db.rows("SELECT ENTIDADE_ID, OPERACAO, CHAVE FROM Infra_Operacao"))
        logged.insert(automation::to_text(row[0]) + " " + automation::to_text(row[1]) + " " +
                      automation::to_text(row[2]));
    EXPECT_EQ(logged, out.writes);
}

}  // namespace
}  // namespace zolt::test
