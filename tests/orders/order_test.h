// What the order tests share: one call helper per method, the rows a write
// leaves behind as text, and outside components that refuse or fail on cue.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "component/frame.h"
#include "tests/support/fixture.h"

namespace zolt::orders_test {

using automation::Variant;
using component::kOracleUnavailable;
using component::kOrderUnavailable;

inline const Variant kUnset("unset");
inline const std::string kDuplicate = "Já existe um pedido para este fornecedor com o número informado.";
inline const std::string kNotFound = "Não foi encontrado o pedido informado.";

// Expected statement texts.
std::string new_order_count(const std::string& number, const std::string& supplier);
std::string existing_order_count(const std::string& number, const std::string& supplier, const std::string& id);

// Rows as "a|b|c" texts (Null as NULL), one per row.
std::vector<std::string> texts(const test::TempDatabase& db, const std::string& sql);

// The outputs of the order query.
struct OrderFields {
    Variant number = kUnset, supplier_id = kUnset, supplier = kUnset, client_id = kUnset, client = kUnset;
};

class OrderTest : public test::ComponentTest {
protected:
    Variant message{"antes"};
    Variant user = Variant::long_(7);

    Variant query(Variant id, Variant kind, OrderFields& out);
    Variant query(Variant id, Variant kind) {
        OrderFields ignored;
        return query(std::move(id), std::move(kind), ignored);
    }
    bool duplicate(Variant id, Variant number, Variant supplier, Variant kind);
    bool validate(Variant id, Variant number, Variant supplier, Variant client, Variant flag, Variant kind);
    Variant insert(Variant number, Variant supplier, Variant client, Variant kind, Variant& new_id,
                   Variant status = Variant::long_(1));
    Variant update(Variant id, Variant number, Variant supplier, Variant client, Variant kind,
                   Variant status = Variant::long_(1));
    Variant remove(Variant id, Variant kind);

    std::vector<std::string> texts(const std::string& sql) const { return orders_test::texts(db, sql); }
    // EMPRESA_ID|TAB_STATUS_ID|NUM_PEDIDO_EXTERNO|FORNECEDOR_ID|Cliente_ID of one order, "" when absent.
    std::string order(int id) const;
    // ENTIDADE_ID|OPERACAO|USUARIO_ID|CHAVE of every recorded operation.
    std::vector<std::string> operations() const;
    std::string last_key() const;  // ULTIMO_VALOR of PEDIDO_ID
};

// Description of the error a statement raises when opened on a separate
// connection made from the database's connection string.
std::string error_of(const test::TempDatabase& db, const std::string& statement);

// A key generator that records the arguments of every call and refuses when
// told to; otherwise it hands the call to the real one. In place for its own
// lifetime.
class ScriptedKeys {
public:
    ScriptedKeys();
    bool refuse_key = false;
    bool refuse_record = false;
    std::vector<std::string> calls;
    std::weak_ptr<outside::KeyGenerator> last;  // the instance the component made last

private:
    test::ScopedClass scoped_;
};

// A literal writer whose every operation raises error 5 with this description.
com::ClassFactoryFunction failing_writer_class(std::string description);

}  // namespace zolt::orders_test
