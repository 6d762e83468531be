// Fixture of the item tests: calls of the item methods with their arguments
// kept in plain fields, dates as automation Dates, and row checks.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/frame.h"
#include "tests/support/helpers.h"

namespace zolt::test {

using automation::Variant;
using Lines = std::vector<std::string>;

inline Variant day(int year, int month, int day_of_month, int hour = 0, int minute = 0) {
    return Variant(automation::make_date(year, month, day_of_month, hour, minute));
}

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
class ItemTest : public ComponentTest {
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

    // A new item (509) of order 1 for part 303 on 10/03/2030, quantity 40.
    static ItemCall new_item() {
        ItemCall c;
        c.date = day(2030, 3, 10);
        c.part = Variant::long_(303);
        c.order = Variant::long_(1);
        c.quantity = Variant::long_(40);
        return c;
    }

    void add_item(int id, int order, int part, const std::string& shipping, int status) const {
        db.exec("INSERT INTO PEDIDO_ITEM VALUES (" + std::to_string(id) + ", " + std::to_string(order) + ", " +
                std::to_string(part) + ", julianday('" + shipping + "'), 1, " + std::to_string(status) + ")");
    }
    Lines rows(const std::string& sql) const { return row_texts(db, sql); }
};

}  // namespace zolt::test
