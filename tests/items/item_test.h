// The item suite, run on every backend: calls of the item methods with their
// arguments kept in plain fields, dates as automation Dates, and row checks.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/frame.h"
#include "tests/support/helpers.h"

namespace zolt::test {

using automation::Variant;
using Lines = std::vector<std::string>;

inline const std::string kItemUnavailable(component::kItemUnavailable);
inline const std::string kOracleUnavailable(component::kOracleUnavailable);

// The arguments of one item call; what the method wrote is read back from
// the same fields.
struct ItemCall {
    Variant item_id, date, part, order, quantity;
    Variant user = Variant::long_(2);
    Variant message = Variant("as passed");
    Variant new_id;
};

// Each call checks that the method answered S_OK.
class Items : public BackendTest {
protected:
    Variant insert(ItemCall& c, Variant kind) {
        Variant result;
        EXPECT_EQ(zolt().gInclui_Campos_PEDIDO_ITEM(c.date, c.part, c.order, c.quantity, c.new_id, c.user, connection,
                                                    c.message, kind, result),
                  com::S_OK);
        return result;
    }
    Variant update(ItemCall& c, Variant kind) {
        Variant result;
        EXPECT_EQ(zolt().gAltera_Campos_PEDIDO_ITEM(c.item_id, c.date, c.part, c.order, c.quantity, c.user, connection,
                                                    c.message, kind, result),
                  com::S_OK);
        return result;
    }
    Variant remove(ItemCall& c, Variant kind) {
        Variant result;
        EXPECT_EQ(zolt().gExclui_Campos_PEDIDO_ITEM(c.item_id, c.user, connection, c.message, kind, result), com::S_OK);
        return result;
    }
    bool validate(ItemCall& c, Variant kind, Variant flag) {
        bool result = true;
        EXPECT_EQ(zolt().mConsiste_Campos_Pedido_Item(c.item_id, c.date, c.part, c.order, c.quantity, c.user,
                                                      connection, c.message, kind, flag, result),
                  com::S_OK);
        return result;
    }
    bool part_free(ItemCall& c, Variant kind) {
        bool result = false;
        EXPECT_EQ(zolt().gVerifica_Duplicidade_PEDIDO_ITEM(c.item_id, c.part, c.order, c.user, connection, c.message,
                                                           kind, result),
                  com::S_OK);
        return result;
    }
    bool day_free(ItemCall& c, Variant kind) {
        bool result = false;
        EXPECT_EQ(zolt().mVerifica_Dupli_Pedido_Item_Fornecedor(c.item_id, c.order, c.date, c.user, connection,
                                                                c.message, kind, result),
                  com::S_OK);
        return result;
    }

    // The outputs of the reads start as a marker that shows whether they were written.
    Variant date{"-"}, part{"-"}, order{"-"}, quantity{"-"}, code{"-"}, status_id{"-"};
    Variant dates{"-"}, parts{"-"}, orders{"-"}, items{"-"}, quantities{"-"}, codes{"-"}, size{"-"};
    Variant message{"as passed"}, user = Variant::long_(2);

    Variant query(Variant item_id, Variant kind) {
        Variant result;
        EXPECT_EQ(zolt().gConsulta_Campos_PEDIDO_ITEM(item_id, date, part, order, quantity, code, user, connection,
                                                      message, kind, result),
                  com::S_OK);
        return result;
    }
    Variant status(Variant item_id, Variant kind) {
        Variant result;
        EXPECT_EQ(zolt().gConsulta_Status_PEDIDO_ITEM(item_id, status_id, user, connection, message, kind, result),
                  com::S_OK);
        return result;
    }
    Variant list(Variant order_id, Variant kind) {
        Variant result;
        EXPECT_EQ(zolt().gConsulta_Campos_LIS_PEDIDO_ITEM(order_id, dates, parts, orders, items, quantities, codes,
                                                          size, user, connection, message, kind, result),
                  com::S_OK);
        return result;
    }

    // The arguments of a check.
    static ItemCall call(Variant item_id, int order, int part = 0, Variant date = Variant()) {
        ItemCall c;
        c.item_id = std::move(item_id);
        c.order = Variant::long_(order);
        c.part = Variant::long_(part);
        c.date = std::move(date);
        return c;
    }
    // A new item (509) of order 1 for part 303 on 10/03/2030, quantity 40.
    static ItemCall new_item() {
        ItemCall c;
        c.date = day(2030, 3, 10);
        c.part = Variant::long_(303);
        c.order = Variant::long_(1);
        c.quantity = Variant::long_(40);
        return c;
    }

    // An item shipping at `shipping` ("yyyy-mm-dd hh:mm:ss"), quantity 1.
    void add_item(int id, int order, int part, const std::string& shipping, int status) const {
        db->exec("INSERT INTO PEDIDO_ITEM VALUES (" + std::to_string(id) + ", " + std::to_string(order) + ", " +
                 std::to_string(part) + ", {ts '" + shipping + "'}, 1, " + std::to_string(status) + ")");
    }
    Lines rows(const std::string& sql) const { return row_texts(*db, sql); }
    std::string item(int id) const {  // PEDIDO_ID|PECA_ID|QTDE_PEDIDA|TAB_STATUS_ID|DATA_EMBARQUE
        const Lines lines = rows("SELECT PEDIDO_ID, PECA_ID, QTDE_PEDIDA, TAB_STATUS_ID, DATA_EMBARQUE FROM "
                                 "PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = " + std::to_string(id));
        return lines.empty() ? "" : lines.front();
    }
    std::string last_key() const {
        return rows("SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'").at(0);
    }
    Lines log() const { return rows("SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao"); }
};

}  // namespace zolt::test
