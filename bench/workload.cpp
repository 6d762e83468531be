#include "bench/workload.h"

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "bench/allocations.h"
#include "bench/raw_connection.h"
#include "component/exports.h"
#include "db/database.h"
#include "platform/ado/ado.h"
#include "platform/com/names.h"

namespace zolt::bench {

namespace {

// Rows the cases work on, beside the sample data. Reads, checks, updates
// and deletions move over sets of rows, a different row on each call, as
// callers asking for different orders do; each row has a supplier of its
// own, so that the supplier's shipping-day check (which reads the items of
// every order of the supplier) stays as short as for a supplier with one
// order. Each set has kRows rows, row i being:
// - read: order 110000+i ('LER-iiiii'), with a new item 300000+2i of part
//   301 shipping on day i and a confirmed item 300001+2i of part 302 on the
//   day after;
// - update: order 120000+i ('ALT-iiiii-A') with the new item 320000+i;
// - deletion: order 130000+i with the item 330000+i;
// - insertion: order 100000+i, which item insertions fill, one part of
//   10000..10099 after the other, so that each call adds a new (order, part)
//   pair and the duplicate-part check lets it through.
// Order insertions add orders of supplier 104 under new external numbers.
// The key counters start past every row above.
constexpr const char* kBenchRows = R"sql(
BEGIN;
INSERT INTO PESSOA (PESSOA_ID, NOME_FANTASIA, TIPO) VALUES (104, 'Fundição Delta', 'F');
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99)
INSERT INTO PECA (PECA_ID, COD_PECA, DESCRICAO, TAB_STATUS_ID)
SELECT 10000 + i, printf('PB-%04d', i), 'Peça de carga', 1 FROM n;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 9999),
     sets(base, name) AS (VALUES (100000, 'ITENS'), (110000, 'LER'), (120000, 'ALT'), (130000, 'EXC'))
INSERT INTO PESSOA (PESSOA_ID, NOME_FANTASIA, TIPO)
SELECT 10 * base + i, printf('Fornecedor %s %05d', name, i), 'F' FROM n, sets;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 9999),
     sets(base, name) AS (VALUES (100000, 'ITENS-%05d'), (110000, 'LER-%05d'), (120000, 'ALT-%05d-A'),
                                 (130000, 'EXC-%05d'))
INSERT INTO PEDIDO (PEDIDO_ID, EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID, Cliente_ID)
SELECT base + i, 1, 1, printf(name, i), 10 * base + i, 201 FROM n, sets;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 9999)
INSERT INTO PEDIDO_ITEM (PEDIDO_ITEM_ID, PEDIDO_ID, PECA_ID, DATA_EMBARQUE, QTDE_PEDIDA, TAB_STATUS_ID)
SELECT 300000 + 2 * i, 110000 + i, 301, julianday('2031-01-01') + i, 100, 509 FROM n
UNION ALL SELECT 300001 + 2 * i, 110000 + i, 302, julianday('2031-01-01') + i + 1, 50, 510 FROM n
UNION ALL SELECT 320000 + i, 120000 + i, 301, julianday('2031-01-01') + i, 10, 509 FROM n
UNION ALL SELECT 330000 + i, 130000 + i, 301, julianday('2031-01-01') + i, 10, 509 FROM n;
UPDATE Infra_Chave SET ULTIMO_VALOR = 1000000;
COMMIT;
)sql";

constexpr int32_t kRows = 10000;
constexpr uint64_t kInsertionParts = 100;

// The row of a set that call number n works on.
int32_t row(uint64_t n) { return static_cast<int32_t>(n % kRows); }

std::string make_temp_folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zolt-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

// A shipping date as the caller types it, dd/mm/yyyy: `offset` days after
// 01/01/2031.
std::string shipping_date(int32_t offset) {
    using namespace std::chrono;
    const year_month_day day{sys_days{year{2031} / January / 1} + days{offset}};
    char text[16];
    std::snprintf(text, sizeof text, "%02u/%02u/%04d", static_cast<unsigned>(day.day()),
                  static_cast<unsigned>(day.month()), static_cast<int>(day.year()));
    return text;
}

// "PREFIX-iiiii", as the external numbers of the sets are written.
std::string numbered(const char* prefix, int32_t i, const char* suffix = "") {
    char text[32];
    std::snprintf(text, sizeof text, "%s-%05d%s", prefix, static_cast<int>(i), suffix);
    return text;
}

// The texts of the rows, written once, so that making a call's arguments
// costs next to nothing beside the call.
struct RowTexts {
    std::vector<std::string> read_numbers;      // 'LER-iiiii'
    std::vector<std::string> update_numbers[2]; // 'ALT-iiiii-A', 'ALT-iiiii-B'
    std::vector<std::string> days;              // day i, for i up to kRows
};

const RowTexts& row_texts() {
    static const RowTexts texts = [] {
        RowTexts made;
        for (int32_t i = 0; i < kRows; ++i) {
            made.read_numbers.push_back(numbered("LER", i));
            made.update_numbers[0].push_back(numbered("ALT", i, "-A"));
            made.update_numbers[1].push_back(numbered("ALT", i, "-B"));
        }
        for (int32_t i = 0; i <= kRows; ++i)
            made.days.push_back(shipping_date(i));
        return made;
    }();
    return texts;
}

Variant id(int32_t value) { return Variant::long_(value); }

// Insertions of both dialects draw from one sequence, so that no two calls
// share an external number or an (order, part) pair.
uint64_t next_order_insertion() {
    static uint64_t next = 0;
    return next++;
}

uint64_t next_item_insertion() {
    static uint64_t next = 0;
    const uint64_t n = next++;
    if (n >= kInsertionParts * kRows)
        throw std::runtime_error("out of (order, part) pairs for item insertions");
    return n;
}

void add_both(std::vector<Case>& cases, const std::string& method, bool inserts,
              const std::function<Inputs(uint64_t)>& inputs,
              const std::function<std::string(uint64_t)>& restore = {}) {
    for (const char* dialect : {"ORACLE", "SQLSERVER"})
        cases.push_back(Case{method, dialect, inserts, inputs, restore});
}

// Which of its two sets of values an update writes on call number n: each
// pass over the rows writes the other.
bool second_values(uint64_t n) { return n / kRows % 2 == 0; }

// "UPDATE table SET assignments WHERE key = value".
std::string update(const char* table, const std::string& assignments, const char* key, int64_t value) {
    return std::string("UPDATE ") + table + " SET " + assignments + " WHERE " + key + " = " + std::to_string(value);
}

}  // namespace

std::vector<Case> all_cases() {
    std::vector<Case> cases;
    // Orders.
    add_both(cases, "gConsulta_Campos_PEDIDO", false,
             [](uint64_t n) { return Inputs{{"InVntPedido_ID", id(110000 + row(n))}}; });
    add_both(cases, "gVerifica_Duplicidade_PEDIDO", false, [](uint64_t n) {
        return Inputs{{"InVntPedido_ID", id(110000 + row(n))},
                      {"InVntNum_Pedido_Externo", Variant(row_texts().read_numbers[row(n)])},
                      {"InVntFornecedor_ID", id(1100000 + row(n))}};
    });
    add_both(cases, "mConsiste_Campos_Pedido", false, [](uint64_t n) {
        return Inputs{{"InVntPedido_ID", id(110000 + row(n))},
                      {"InVntTab_Status_ID", id(1)},
                      {"InVntNum_Pedido_Externo", Variant(row_texts().read_numbers[row(n)])},
                      {"InVntFornecedor_ID", id(1100000 + row(n))},
                      {"InVntFlag_Acao", Variant("A")},
                      {"InVntCliente_ID", id(201)}};
    });
    add_both(cases, "gInclui_Campos_PEDIDO", true, [](uint64_t) {
        return Inputs{{"InVntTab_Status_ID", id(1)},
                      {"InVntNum_Pedido_Externo", Variant("BZ-" + std::to_string(next_order_insertion()))},
                      {"InVntFornecedor_ID", id(104)},
                      {"InVntCliente_ID", id(202)}};
    });
    // Each pass over the rows writes the other external number and client.
    add_both(
        cases, "gAltera_Campos_PEDIDO", false,
        [](uint64_t n) {
            const bool second = second_values(n);
            return Inputs{{"InVntPedido_ID", id(120000 + row(n))},
                          {"InVntTab_Status_ID", id(1)},
                          {"InVntNum_Pedido_Externo", Variant(row_texts().update_numbers[second ? 1 : 0][row(n)])},
                          {"InVntFornecedor_ID", id(1200000 + row(n))},
                          {"InVntCliente_ID", id(second ? 202 : 201)}};
        },
        [](uint64_t n) {
            const bool second = second_values(n);
            return update("PEDIDO",
                          "NUM_PEDIDO_EXTERNO = '" + row_texts().update_numbers[second ? 0 : 1][row(n)] +
                              "', Cliente_ID = " + (second ? "201" : "202"),
                          "PEDIDO_ID", 120000 + row(n));
        });
    add_both(
        cases, "gExclui_Campos_PEDIDO", false,
        [](uint64_t n) { return Inputs{{"InVntPedido_ID", id(130000 + row(n))}}; },
        [](uint64_t n) { return update("PEDIDO", "TAB_STATUS_ID = 1", "PEDIDO_ID", 130000 + row(n)); });

    // Items.
    add_both(cases, "gConsulta_Campos_PEDIDO_ITEM", false,
             [](uint64_t n) { return Inputs{{"InVntPedido_Item_ID", id(300000 + 2 * row(n))}}; });
    cases.push_back(Case{"gConsulta_Status_PEDIDO_ITEM", "", false,
                         [](uint64_t n) { return Inputs{{"InVntPedido_Item_ID", id(300001 + 2 * row(n))}}; },
                         {}});
    add_both(cases, "gConsulta_Campos_LIS_PEDIDO_ITEM", false,
             [](uint64_t n) { return Inputs{{"InVntPedido_ID", id(110000 + row(n))}}; });
    add_both(cases, "gVerifica_Duplicidade_PEDIDO_ITEM", false, [](uint64_t n) {
        return Inputs{{"InVntPedido_Item_ID", id(300000 + 2 * row(n))},
                      {"InVntPeca_ID", id(301)},
                      {"InVntPedido_ID", id(110000 + row(n))}};
    });
    cases.push_back(Case{"mVerifica_Dupli_Pedido_Item_Fornecedor", "", false, [](uint64_t n) {
                             return Inputs{{"InVntPedido_Item_ID", id(300000 + 2 * row(n))},
                                           {"InVntPedido_ID", id(110000 + row(n))},
                                           {"InVntData", Variant(row_texts().days[row(n)])}};
                         },
                         {}});
    add_both(cases, "mConsiste_Campos_Pedido_Item", false, [](uint64_t n) {
        return Inputs{{"InVntPedido_Item_ID", id(300000 + 2 * row(n))},
                      {"InVntData_Embarque", Variant(row_texts().days[row(n)])},
                      {"InVntPeca_ID", id(301)},
                      {"InVntPedido_ID", id(110000 + row(n))},
                      {"InVntQtde_Pedida", id(100)},
                      {"InVntFlag_Acao", Variant("A")}};
    });
    add_both(cases, "gInclui_Campos_PEDIDO_ITEM", true, [](uint64_t) {
        const uint64_t n = next_item_insertion();
        return Inputs{{"InVntData_Embarque", Variant(row_texts().days[row(n)])},
                      {"InVntPeca_ID", id(static_cast<int32_t>(10000 + n / kRows))},
                      {"InVntPedido_ID", id(100000 + row(n))},
                      {"InVntQtde_Pedida", id(10)}};
    });
    // Each pass over the rows moves the item to the other day and quantity.
    add_both(
        cases, "gAltera_Campos_PEDIDO_ITEM", false,
        [](uint64_t n) {
            const bool second = second_values(n);
            return Inputs{{"InVntPedido_Item_ID", id(320000 + row(n))},
                          {"InVntData_Embarque", Variant(row_texts().days[row(n) + (second ? 1 : 0)])},
                          {"InVntPeca_ID", id(301)},
                          {"InVntPedido_ID", id(120000 + row(n))},
                          {"InVntQtde_Pedida", id(second ? 11 : 10)}};
        },
        [](uint64_t n) {
            const bool second = second_values(n);
            return update("PEDIDO_ITEM",
                          "DATA_EMBARQUE = julianday('2031-01-01') + " + std::to_string(row(n) + (second ? 0 : 1)) +
                              ", QTDE_PEDIDA = " + (second ? "10" : "11"),
                          "PEDIDO_ITEM_ID", 320000 + row(n));
        });
    add_both(
        cases, "gExclui_Campos_PEDIDO_ITEM", false,
        [](uint64_t n) { return Inputs{{"InVntPedido_Item_ID", id(330000 + row(n))}}; },
        [](uint64_t n) { return update("PEDIDO_ITEM", "TAB_STATUS_ID = 509", "PEDIDO_ITEM_ID", 330000 + row(n)); });

    // The server date.
    add_both(cases, "gVerifica_Data_Atual", false, [](uint64_t) { return Inputs{}; });
    return cases;
}

// ---- database ----------------------------------------------------------------

BenchDatabase::BenchDatabase() : folder_(make_temp_folder()), path_(folder_ + "/bench.db") {
    try {
        db::create_database(path_, true);
        RawConnection(path_).execute(kBenchRows);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        throw;
    }
}

BenchDatabase::~BenchDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string BenchDatabase::connection_string() const { return db::connection_string(path_); }

// ---- the object --------------------------------------------------------------

namespace {

void expect_ok(com::HRESULT status, const char* what) {
    if (com::failed(status))
        throw std::runtime_error(std::string(what) + " failed with status " + std::to_string(status));
}

}  // namespace

BenchObject::BenchObject() {
    com::IClassFactory* factory = nullptr;
    expect_ok(DllGetClassObject(&component::kClsidZOLT, &com::kIID_IClassFactory, reinterpret_cast<void**>(&factory)),
              "DllGetClassObject");
    const com::HRESULT created =
        factory->CreateInstance(nullptr, com::kIID_IDispatch, reinterpret_cast<void**>(&object_));
    factory->Release();
    expect_ok(created, "IClassFactory::CreateInstance");
}

BenchObject::~BenchObject() { object_->Release(); }

// ---- calls -------------------------------------------------------------------

Call::Call(com::IDispatch& object, const Case& bench_case, const Variant& connection)
    : object_(object), case_(bench_case), connection_(connection) {
    method_ = object.GetTypeInfo().find(bench_case.method);
    if (!method_)
        throw std::runtime_error("no method " + bench_case.method);
    names_.push_back(method_->name);
    names_.insert(names_.end(), method_->parameters.begin(), method_->parameters.end());
    expect_ok(object.GetIDsOfNames(names_, ids_), "GetIDsOfNames");

    for (std::size_t i = 0; i < method_->parameters.size(); ++i)
        params_.named.emplace_back(ids_[i + 1], nullptr);
    connection_position_ = position_of("InVntConecta_DB");
    kind_position_ = position_of("InVntBanco_Dados");
    user_position_ = position_of("invntUsuario_Internet_ID");
    message_position_ = position_of("outvntMsg_Ret");
    for (const auto& [name, value] : bench_case.inputs(0))
        input_positions_.push_back(position_of(name));
}

std::size_t Call::position_of(std::string_view parameter) const {
    const com::DISPID position = com::parameter_position(*method_, parameter);
    if (position < 0)
        throw std::runtime_error(case_.method + " has no parameter " + std::string(parameter));
    return static_cast<std::size_t>(position);
}

std::vector<Variant> Call::arguments(uint64_t n) const {
    std::vector<Variant> values(method_->parameters.size());
    values[connection_position_] = connection_;
    values[kind_position_] = Variant(case_.dialect.empty() ? std::string("SQLSERVER") : case_.dialect);
    values[user_position_] = Variant::long_(7);
    Inputs inputs = case_.inputs(n);
    for (std::size_t i = 0; i < inputs.size(); ++i)
        values[input_positions_[i]] = std::move(inputs[i].second);
    return values;
}

void Call::run(bool by_name) {
    const uint64_t n = calls_made_++;
    std::vector<Variant> made_now;
    std::vector<Variant>& values = next_ahead_ < ahead_.size() ? ahead_[next_ahead_++] : (made_now = arguments(n));
    for (std::size_t i = 0; i < values.size(); ++i)
        params_.named[i].second = &values[i];

    Variant result;
    com::ExcepInfo exception;
    com::DISPID dispid = method_->dispid;
    if (by_name) {
        expect_ok(object_.GetIDsOfNames(names_, ids_), "GetIDsOfNames");
        dispid = ids_[0];
        for (std::size_t i = 0; i < values.size(); ++i)
            params_.named[i].first = ids_[i + 1];
    }
    const uint64_t allocations_before = allocations::count();
    const com::HRESULT status = object_.Invoke(dispid, params_, &result, &exception);
    allocations_ += allocations::count() - allocations_before;
    if (com::failed(status))
        throw std::runtime_error(case_.label() + " failed: " + exception.description);
    const bool success = result.type() == automation::VarType::Bool ? result.boolean()
                         : result.type() == automation::VarType::I2 ? result.i2() == 0
                                                                    : false;
    if (!success) {
        const Variant& message = values[message_position_];
        throw std::runtime_error(case_.label() + " did not succeed: " + (message.is_text() ? message.text() : ""));
    }
}

void Call::make_arguments_ahead(std::size_t count) {
    ahead_.clear();
    next_ahead_ = 0;
    for (uint64_t n = calls_made_; ahead_.size() < count; ++n)
        ahead_.push_back(arguments(n));
}

// ---- the whole workload -----------------------------------------------------

Workload::Workload()
    : connection_(automation::ObjectPtr(std::make_shared<ado::Connection>(database_.connection_string()))),
      cases_(all_cases()) {
    for (const Case& bench_case : cases_)
        calls_.push_back(std::make_unique<Call>(object_.dispatch(), bench_case, connection_));
}

}  // namespace zolt::bench
