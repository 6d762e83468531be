// The order suite, run on every backend: one call helper per method and the
// rows a write leaves behind as text.
#pragma once

#include <string>
#include <vector>

#include "component/frame.h"
#include "tests/support/helpers.h"

namespace zolt::orders_test {

using automation::Variant;
using component::kOracleUnavailable;
using component::kOrderUnavailable;
using Lines = std::vector<std::string>;
using Entries = std::vector<ado::TraceEntry>;
using test::Arguments;
using test::day;

inline const Variant kUnset("unset");
inline const std::string kDuplicate = "Já existe um pedido para este fornecedor com o número informado.";

// The outputs of the order query.
struct OrderFields {
    Variant number = kUnset, supplier_id = kUnset, supplier = kUnset, client_id = kUnset, client = kUnset;
};

// Each call checks that the method answered S_OK and, where it has one, left
// OutVntPedido_ID alone.
class Orders : public test::BackendTest {
protected:
    Variant message{"antes"};
    Variant user = Variant::long_(7);
    Variant new_id = kUnset;  // what an insertion hands back
    Variant out_id = kUnset;

    Variant query(Variant id, Variant kind, OrderFields& out) {
        Variant result;
        EXPECT_EQ(zolt().gConsulta_Campos_PEDIDO(id, out.number, out.supplier_id, out.supplier, user, connection,
                                                 message, kind, out.client_id, out.client, result),
                  com::S_OK);
        return result;
    }
    bool duplicate(Variant id, Variant number, Variant supplier, Variant kind) {
        bool result = true;
        EXPECT_EQ(zolt().gVerifica_Duplicidade_PEDIDO(id, number, supplier, user, connection, message, kind, result),
                  com::S_OK);
        return result;
    }
    bool validate(Variant id, Variant number, Variant supplier, Variant client, Variant flag, Variant kind) {
        Variant status;
        bool result = true;
        EXPECT_EQ(zolt().mConsiste_Campos_Pedido(id, status, number, supplier, out_id, user, connection, message, kind,
                                                 flag, client, result),
                  com::S_OK);
        EXPECT_EQ(out_id, kUnset);
        return result;
    }
    Variant insert(Variant number, Variant supplier, Variant client, Variant kind, Variant status = Variant::long_(1)) {
        Variant result;
        EXPECT_EQ(zolt().gInclui_Campos_PEDIDO(status, number, supplier, new_id, user, connection, message, kind,
                                               client, result),
                  com::S_OK);
        return result;
    }
    Variant update(Variant id, Variant number, Variant supplier, Variant client, Variant kind,
                   Variant status = Variant::long_(1)) {
        Variant result;
        EXPECT_EQ(zolt().gAltera_Campos_PEDIDO(id, status, number, supplier, out_id, user, connection, message, kind,
                                               client, result),
                  com::S_OK);
        EXPECT_EQ(out_id, kUnset);
        return result;
    }
    Variant remove(Variant id, Variant kind) {
        Variant result;
        EXPECT_EQ(zolt().gExclui_Campos_PEDIDO(id, user, connection, message, kind, result), com::S_OK);
        return result;
    }

    Lines rows(const std::string& sql) const { return test::row_texts(*db, sql); }
    // EMPRESA_ID|TAB_STATUS_ID|NUM_PEDIDO_EXTERNO|FORNECEDOR_ID|Cliente_ID of one order, "" when absent.
    std::string order(int id) const {
        const Lines lines = rows("SELECT EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID, Cliente_ID "
                                 "FROM PEDIDO WHERE PEDIDO_ID = " + std::to_string(id));
        return lines.empty() ? "" : lines.front();
    }
    // ENTIDADE_ID|OPERACAO|USUARIO_ID|CHAVE of every recorded operation.
    Lines operations() const {
        return rows("SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao ORDER BY OPERACAO_ID");
    }
    std::string last_key() const {  // ULTIMO_VALOR of PEDIDO_ID
        return rows("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ID'").at(0);
    }
};

}  // namespace zolt::orders_test
